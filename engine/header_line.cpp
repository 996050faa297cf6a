#include "header_line.h"

#include <array>
#include <charconv>
#include <string>
#include <vector>

#include "date_text.h"
#include "line_text.h"

namespace mixconv {

namespace {

// Offsets, not views: the line's storage may move while it grows.
struct AddressOffsets {
  std::size_t nameBegin = 0;
  std::size_t nameEnd = 0;
  std::size_t addressBegin = 0;
  std::size_t addressEnd = 0;
  bool awaitsAddress = false;
};

constexpr std::size_t kInitialLineCapacity = 2048;
constexpr std::string_view kLineEnd = "\r\n";
constexpr int kTmYearBase = 1900;

// Reused line after line, so that they grow only when a longer line comes.
std::string LineBytes;
std::vector<AddressOffsets> Offsets;
std::vector<AddressSpan> Addresses;

}  // namespace

HeaderLine::HeaderLine(HeaderField field, MailOutput& out) : field_(field), out_(out) {
  LineBytes.reserve(kInitialLineCapacity);
  LineBytes.clear();
  Offsets.clear();
}

HeaderLine& HeaderLine::Append(std::string_view text) {
  LineBytes.append(text);
  return *this;
}

HeaderLine& HeaderLine::AppendLowerCase(std::string_view text) {
  for (const char byte : text) {
    LineBytes.push_back(AsciiLower(byte));
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
  SetTime(seconds);
  AppendTwoDigits(time.tm_mday).Append(" ");
  Append(MonthAbbreviation(time.tm_mon + 1)).Append(" ");
  AppendNumber(time.tm_year + kTmYearBase).Append(" ");
  return AppendClockTime(time);
}

HeaderLine& HeaderLine::AppendSeparatorDate(std::int32_t seconds) {
  const std::tm time = BreakDownLocalTime(seconds);
  SetTime(seconds);
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

HeaderLine& HeaderLine::SetTime(std::int32_t seconds) {
  time_ = seconds;
  return *this;
}

HeaderLine& HeaderLine::AppendDisplayName(std::string_view name) {
  AddressOffsets& offsets = Offsets.emplace_back();
  offsets.nameBegin = LineBytes.size();
  Append(name);
  offsets.nameEnd = LineBytes.size();
  offsets.awaitsAddress = true;
  return *this;
}

HeaderLine& HeaderLine::BeginAddress() {
  if (Offsets.empty() || !Offsets.back().awaitsAddress) {
    Offsets.emplace_back();
  }
  Offsets.back().addressBegin = LineBytes.size();
  Offsets.back().awaitsAddress = false;
  return *this;
}

HeaderLine& HeaderLine::EndAddress() {
  Offsets.back().addressEnd = LineBytes.size();
  return *this;
}

void HeaderLine::Finish() {
  Append(kLineEnd);
  const std::string_view bytes = LineBytes;
  Addresses.clear();
  for (const AddressOffsets& offsets : Offsets) {
    Addresses.push_back(
        {bytes.substr(offsets.nameBegin, offsets.nameEnd - offsets.nameBegin),
         bytes.substr(offsets.addressBegin, offsets.addressEnd - offsets.addressBegin)});
  }
  out_.WriteHeaderLine({field_, bytes, Addresses, time_});
}

}  // namespace mixconv
