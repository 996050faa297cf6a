// Text for the mailbox file in Microsoft's code page 932, the bytes the mail log holds.
#pragma once

#include <string>
#include <string_view>

namespace mixconv {

struct Cp932Text {
  std::string bytes;
  std::string error;  // empty when the text converted; otherwise why it did not
  bool ok() const { return error.empty(); }
};

// Converts text in sourceCharset ("UTF-8", or elsewhere than on Windows any name
// the C library's iconv knows) to code page 932. Refuses control characters and
// characters that have no form there.
Cp932Text EncodeCp932(std::string_view text, const char* sourceCharset);

}  // namespace mixconv
