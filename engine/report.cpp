#include "report.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "convert.h"
#include "run_context.h"

namespace mixconv {

ReportTarget* ActiveResultLog = nullptr;

namespace {

// Grows for a message longer than it (a long path): no message is ever cut.
std::vector<char> MessageBuffer(kMessageBufferSize);

void ComposeAndReport(const char* format, std::va_list arguments) {
  std::va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(MessageBuffer.data(), MessageBuffer.size(), format, arguments);
  if (length >= 0 && static_cast<std::size_t>(length) >= MessageBuffer.size()) {
    MessageBuffer.resize(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(MessageBuffer.data(), MessageBuffer.size(), format, again);
  }
  va_end(again);
  ReportLine(MessageBuffer.data());
}

}  // namespace

void ReportLine(const char* text) {
  if (ActiveResultLog != nullptr) {
    ActiveResultLog->AddLine(text);
  }
}

void ReportProgress(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  ComposeAndReport(format, arguments);
  va_end(arguments);
}

void ReportFailure(const char* format, ...) {
  CurrentRun.failureReported = true;
  std::va_list arguments;
  va_start(arguments, format);
  ComposeAndReport(format, arguments);
  va_end(arguments);
}

}  // namespace mixconv
