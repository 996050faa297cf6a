// One line on the terminal that shows how far a long run has come, redrawn in
// place; cleared before any other line is printed, so the two never mix.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace mixconv::cli {

class ProgressLine {
 public:
  // Shows nothing unless enabled (standard output is a terminal and the
  // user did not ask for quiet).
  explicit ProgressLine(bool enabled);
  // "sent N of M mails, M:SS", at most a few times a second.
  void ShowSent(std::uint32_t sent, std::uint32_t total);
  void Clear();

 private:
  using Clock = std::chrono::steady_clock;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point lastDrawn_;
};

}  // namespace mixconv::cli
