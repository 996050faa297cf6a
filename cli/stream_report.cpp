#include "cli/stream_report.h"

#include <cstdio>
#include <string_view>

#include "cli/console.h"

namespace mixconv::cli {

StreamReport::StreamReport(const char* programName, bool quiet)
    : errorPrefix_(std::string(programName) + ": "), quiet_(quiet) {}

int StreamReport::AddLine(const char* text) {
  const bool isError = std::string_view(text).starts_with(errorPrefix_);
  if (isError || !quiet_) {
    if (progress_ != nullptr) {
      progress_->Clear();
    }
    std::FILE* stream = isError ? stderr : stdout;
    Print(stream, std::string(text) + "\n");
    // Lines keep their order where both streams go to one file or pipe.
    std::fflush(stream);
  }
  return 0;
}

}  // namespace mixconv::cli
