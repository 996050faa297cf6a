// Composes engine messages in MessageBuffer and hands them to ReportLine.
#pragma once

namespace mixconv {

inline constexpr int kMessageBufferSize = 4096;

// A progress line; the run stays clean.
[[gnu::format(printf, 1, 2)]] void ReportProgress(const char* format, ...);

// An error line, which marks the run as not clean. Formats begin with "%s: ".
[[gnu::format(printf, 1, 2)]] void ReportFailure(const char* format, ...);

}  // namespace mixconv
