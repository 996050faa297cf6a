#include "header_line.h"

#include <array>
#include <charconv>
#include <cstring>

#include "date_text.h"
#include "line_text.h"
#include "mail_writer.h"

namespace mixconv {

namespace {

std::array<char, kHeaderBufferSize> HeaderBuffer;

constexpr std::string_view kLineEnd = "\r\n";
constexpr int kTmYearBase = 1900;

}  // namespace

void HeaderLine::Spill() {
  WriteMailBlock(HeaderBuffer.data(), used_, mailbox_);
  used_ = 0;
}

HeaderLine& HeaderLine::Append(std::string_view text) {
  while (!text.empty()) {
    if (used_ == HeaderBuffer.size()) {
      Spill();
    }
    const std::size_t taken = std::min(text.size(), HeaderBuffer.size() - used_);
    std::memcpy(HeaderBuffer.data() + used_, text.data(), taken);
    used_ += taken;
    text.remove_prefix(taken);
  }
  return *this;
}

HeaderLine& HeaderLine::AppendLowerCase(std::string_view text) {
  for (const char byte : text) {
    if (used_ == HeaderBuffer.size()) {
      Spill();
    }
    HeaderBuffer[used_++] = AsciiLower(byte);
  }
  return *this;
}

HeaderLine& HeaderLine::AppendNumber(int number) {
  std::array<char, 16> digits{};
  const char* const end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
  return Append({digits.data(), end});
}

HeaderLine& HeaderLine::AppendTwoDigits(int number) {
  if (number >= 0 && number < 10) {
    Append("0");
  }
  return AppendNumber(number);
}

HeaderLine& HeaderLine::AppendIndexDate(std::int32_t seconds) {
  const std::tm time = BreakDownLocalTime(seconds);
  AppendTwoDigits(time.tm_mday).Append(" ");
  Append(MonthAbbreviation(time.tm_mon + 1)).Append(" ");
  AppendNumber(time.tm_year + kTmYearBase).Append(" ");
  return AppendClockTime(time);
}

HeaderLine& HeaderLine::AppendSeparatorDate(std::int32_t seconds) {
  const std::tm time = BreakDownLocalTime(seconds);
  Append(WeekdayAbbreviation(time.tm_wday)).Append(" ");
  Append(MonthAbbreviation(time.tm_mon + 1)).Append(" ");
  AppendTwoDigits(time.tm_mday).Append(" ");
  AppendClockTime(time).Append(" ");
  return AppendNumber(time.tm_year + kTmYearBase);
}

HeaderLine& HeaderLine::AppendClockTime(const std::tm& time) {
  AppendTwoDigits(time.tm_hour).Append(":");
  AppendTwoDigits(time.tm_min).Append(":");
  return AppendTwoDigits(time.tm_sec);
}

void HeaderLine::Finish() {
  Append(kLineEnd);
  Spill();
}

}  // namespace mixconv
