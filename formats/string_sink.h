// A message's bytes kept in a string, for a destination that holds a message
// (or a part of one) before it goes on.
#pragma once

#include <string>
#include <string_view>

#include "engine/mail_writer.h"

namespace mixconv {

class StringSink final : public MessageSink {
 public:
  explicit StringSink(std::string& bytes) : bytes_(bytes) {}
  void Write(std::string_view bytes) override { bytes_.append(bytes); }

 private:
  std::string& bytes_;
};

}  // namespace mixconv
