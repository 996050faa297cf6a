// The Subject field of a message whose bytes come in pieces, as its header
// goes by: what a file name needs of it, read once, in little memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mixconv {

class SubjectCatcher {
 public:
  // Enough for any subject a file name shows, encoded.
  static constexpr std::size_t kMaxValueBytes = 1024;

  void Reset();
  // The next bytes of the message; nothing after the header is looked at.
  void Take(std::string_view bytes);
  // The field's value so far, unfolded, at most kMaxValueBytes; empty while
  // none was seen.
  const std::string& Value() const { return value_; }

 private:
  void EndLine();

  std::string line_;  // the start of the line being read, as much as matters
  std::string value_;
  bool inSubject_ = false;  // the last line was the field or a continuation of it
  bool headerEnded_ = false;
};

}  // namespace mixconv
