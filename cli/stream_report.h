// Sends the engine's lines to the terminal: errors to stderr, the rest to stdout.
#pragma once

#include <string>

#include "engine/convert.h"

namespace mixconv::cli {

class StreamReport : public ReportTarget {
 public:
  StreamReport(const char* programName, bool quiet);
  int AddLine(const char* text) override;

 private:
  std::string errorPrefix_;
  bool quiet_;
};

}  // namespace mixconv::cli
