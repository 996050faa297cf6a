#include "report.h"

#include <array>
#include <cstdarg>
#include <cstdio>

#include "convert.h"
#include "run_context.h"

namespace mixconv {

ReportTarget* ActiveResultLog = nullptr;

namespace {

std::array<char, kMessageBufferSize> MessageBuffer;

// vsnprintf cuts an overlong message (a long path) at the buffer's end.
void ComposeAndReport(const char* format, std::va_list arguments) {
  std::vsnprintf(MessageBuffer.data(), MessageBuffer.size(), format, arguments);
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
