#include "formats/mbox_framing.h"

#include <string>

#include "engine/date_text.h"

namespace mixconv {

namespace {

constexpr std::string_view kSeparatorStart = "From - ";
constexpr std::string_view kFromLineStart = "From ";
constexpr std::string_view kQuote = ">";

}  // namespace

void MboxFraming::BeginMessage(std::int32_t time) {
  ReleaseHeld();
  std::string separator(kSeparatorStart);
  AppendSeparatorDate(separator, time);
  separator += style_.lineEnd;
  out_.Write(separator);
  atLineStart_ = true;
}

void MboxFraming::ReleaseHeld() {
  out_.Write(kFromLineStart.substr(0, held_));
  held_ = 0;
}

void MboxFraming::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    if (!atLineStart_) {
      const std::size_t lineEnd = bytes.find('\n');
      const std::size_t taken = lineEnd == std::string_view::npos ? bytes.size() : lineEnd + 1;
      out_.Write(bytes.substr(0, taken));
      atLineStart_ = lineEnd != std::string_view::npos;
      bytes.remove_prefix(taken);
      continue;
    }
    // Quotes already there go out as they come: the one added may go after them.
    if (held_ == 0 && bytes.front() == kQuote.front()) {
      out_.Write(kQuote);
      bytes.remove_prefix(1);
      continue;
    }
    if (bytes.front() != kFromLineStart[held_]) {
      ReleaseHeld();
      atLineStart_ = false;
      continue;
    }
    bytes.remove_prefix(1);
    if (++held_ == kFromLineStart.size()) {
      held_ = 0;
      out_.Write(kQuote);
      out_.Write(kFromLineStart);
      atLineStart_ = false;
    }
  }
}

void MboxFraming::EndMessage() {
  ReleaseHeld();
  if (style_.emptyLineAfterMessage) {
    out_.Write(style_.lineEnd);
  }
  atLineStart_ = true;
}

}  // namespace mixconv
