#include "cli/progress_line.h"

#include <cstdio>

#include "cli/console.h"

namespace mixconv::cli {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr char kToLineStart[] = "\r";
constexpr char kClearToLineEnd[] = "\033[K";
constexpr long long kSecondsPerMinute = 60;

std::string Elapsed(std::chrono::steady_clock::duration elapsed) {
  const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
  const long long remainder = seconds % kSecondsPerMinute;
  return std::to_string(seconds / kSecondsPerMinute) + (remainder < 10 ? ":0" : ":") +
         std::to_string(remainder);
}

}  // namespace

ProgressLine::ProgressLine(bool enabled) : enabled_(enabled), start_(Clock::now()) {}

void ProgressLine::ShowSent(std::uint32_t sent, std::uint32_t total) {
  const Clock::time_point now = Clock::now();
  if (!enabled_ || (shown_ && now - lastDrawn_ < kRedrawInterval && sent < total)) {
    return;
  }
  Print(stdout, std::string(kToLineStart) + "sent " + std::to_string(sent) + " of " +
                    std::to_string(total) + " mails, " + Elapsed(now - start_) + kClearToLineEnd);
  std::fflush(stdout);
  shown_ = true;
  lastDrawn_ = now;
}

void ProgressLine::Clear() {
  if (shown_) {
    Print(stdout, std::string(kToLineStart) + kClearToLineEnd);
    shown_ = false;
  }
}

}  // namespace mixconv::cli
