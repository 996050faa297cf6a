// Sends the engine's lines to the terminal: errors to stderr, the rest to stdout.
#pragma once

#include <string>

#include "cli/progress_line.h"
#include "engine/convert.h"

namespace mixconv::cli {

class StreamReport : public ReportTarget {
 public:
  StreamReport(const char* programName, bool quiet);
  int AddLine(const char* text) override;
  // A progress line to clear before each line printed.
  void ClearFirst(ProgressLine* progress) { progress_ = progress; }

 private:
  ProgressLine* progress_ = nullptr;
  std::string errorPrefix_;
  bool quiet_;
};

}  // namespace mixconv::cli
