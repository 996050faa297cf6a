// Composes one synthesised header line in HeaderBuffer. A line longer than the
// buffer goes out in pieces, so nothing is ever cut.
#pragma once

#include <cstdint>
#include <ctime>
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
  HeaderLine& AppendNumber(int number);
  // At least two digits, zero-padded as printf's "%02d" pads.
  HeaderLine& AppendTwoDigits(int number);
  // The index time in local time as "DD Mon YYYY hh:mm:ss", the Date line's form.
  HeaderLine& AppendIndexDate(std::int32_t seconds);
  // The index time in local time as "Thu Jan 01 09:00:00 1970", the separator's form.
  HeaderLine& AppendSeparatorDate(std::int32_t seconds);
  // Adds the line's CR LF and writes it.
  void Finish();

 private:
  void Spill();
  HeaderLine& AppendClockTime(const std::tm& time);

  MailboxFile& mailbox_;
  std::size_t used_ = 0;
};

}  // namespace mixconv
