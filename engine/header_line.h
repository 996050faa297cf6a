// Composes one synthesised header line in HeaderBuffer. A line longer than the
// buffer goes out in pieces, so nothing is ever cut.
#pragma once

#include <cstdint>
#include <string_view>

#include "mailbox_file.h"

namespace mixconv {

inline constexpr std::size_t kHeaderBufferSize = 2048;

class HeaderLine {
 public:
  // Only one line is composed at a time: HeaderBuffer is single-instance.
  explicit HeaderLine(MailboxFile& mailbox) : mailbox_(mailbox) {}
  HeaderLine(const HeaderLine&) = delete;
  HeaderLine& operator=(const HeaderLine&) = delete;

  HeaderLine& Append(std::string_view text);
  HeaderLine& AppendLowerCase(std::string_view text);
  HeaderLine& AppendNumber(int number, bool twoDigits = false);
  // "DD Mon YYYY hh:mm:ss", the form every Date line built from the index uses.
  HeaderLine& AppendIndexDate(std::int32_t seconds);
  // Adds the line's CR LF and writes it.
  void Finish();

 private:
  void Spill();

  MailboxFile& mailbox_;
  std::size_t used_ = 0;
};

}  // namespace mixconv
