#include "header_line.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "date_text.h"
#include "line_text.h"
#include "mail_writer.h"

namespace mixconv {

namespace {

std::array<char, kHeaderBufferSize> HeaderBuffer;

constexpr std::string_view kLineEnd = "\r\n";

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

HeaderLine& HeaderLine::AppendNumber(int number, bool twoDigits) {
  std::array<char, 16> digits{};
  const int length = std::snprintf(digits.data(), digits.size(), twoDigits ? "%02d" : "%d", number);
  return Append({digits.data(), static_cast<std::size_t>(length)});
}

HeaderLine& HeaderLine::AppendIndexDate(std::int32_t seconds) {
  const std::tm time = BreakDownLocalTime(seconds);
  constexpr bool kTwoDigits = true;
  AppendNumber(time.tm_mday, kTwoDigits).Append(" ");
  Append(MonthAbbreviation(time.tm_mon + 1)).Append(" ");
  AppendNumber(time.tm_year + 1900).Append(" ");
  AppendNumber(time.tm_hour, kTwoDigits).Append(":");
  AppendNumber(time.tm_min, kTwoDigits).Append(":");
  return AppendNumber(time.tm_sec, kTwoDigits);
}

void HeaderLine::Finish() {
  Append(kLineEnd);
  Spill();
}

}  // namespace mixconv
