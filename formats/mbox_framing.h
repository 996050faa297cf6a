// What makes a run of messages one mbox file: a "From - " separator line before
// each message, one more ">" before every line that would read as a separator
// (the mboxrd convention, so that unescaping stays exact), and, as Unix mbox
// readers expect, an empty line after each message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/mail_writer.h"

namespace mixconv {

struct MboxStyle {
  std::string_view lineEnd;
  bool emptyLineAfterMessage = false;
};

// The original converter's mailbox.
inline constexpr MboxStyle kOriginalMboxStyle{"\r\n", false};
// The mailbox that Unix mail programs read and split.
inline constexpr MboxStyle kUnixMboxStyle{"\n", true};

class MboxFraming final : public MessageSink {
 public:
  MboxFraming(const MboxStyle& style, MessageSink& out) : style_(style), out_(out) {}

  void BeginMessage(std::int32_t time);
  void Write(std::string_view bytes) override;
  void EndMessage();
  // Hands on what was held back of a line start that may have become "From ":
  // a run that stops inside a message keeps all it wrote.
  void ReleaseHeld();

 private:
  MboxStyle style_;
  MessageSink& out_;
  bool atLineStart_ = true;
  std::size_t held_ = 0;  // bytes of "From " matched at a line start, not yet written
};

}  // namespace mixconv
