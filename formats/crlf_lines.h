// Windows programs and IMAP servers expect CR LF where the readable form's
// writer ends lines with LF alone.
#pragma once

#include <string>
#include <string_view>

namespace mixconv {

class CrLfLines {
 public:
  // A new message: no CR is pending.
  void Reset() { afterCr_ = false; }
  // Appends bytes to out, with a CR before every LF that has none.
  void Append(std::string& out, std::string_view bytes);

 private:
  bool afterCr_ = false;  // the last byte appended was a CR: an LF after it needs none
};

}  // namespace mixconv
