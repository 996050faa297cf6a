// Composes engine messages in MessageBuffer and hands them to ReportLine.
#pragma once

#include <cstddef>

namespace mixconv {

// Room for every message but one about a very long path, for which it grows.
inline constexpr std::size_t kMessageBufferSize = 4096;

// A progress line; the run stays clean.
[[gnu::format(printf, 1, 2)]] void ReportProgress(const char* format, ...);

// An error line, which marks the run as not clean. Formats begin with "%s: ".
[[gnu::format(printf, 1, 2)]] void ReportFailure(const char* format, ...);

}  // namespace mixconv
