// Windows programs and IMAP servers expect CR LF where the readable form's
// writer ends lines with LF alone: a filter that a destination puts between
// the writer and the bytes it keeps.
#pragma once

#include <string_view>

#include "engine/mail_writer.h"

namespace mixconv {

class CrLfLines final : public MessageSink {
 public:
  explicit CrLfLines(MessageSink& out) : out_(out) {}

  // A new message: no CR is pending.
  void Reset() { afterCr_ = false; }
  // Hands bytes on, with a CR before every LF that has none.
  void Write(std::string_view bytes) override;

 private:
  MessageSink& out_;
  bool afterCr_ = false;  // the last byte handed on was a CR: an LF after it needs none
};

}  // namespace mixconv
