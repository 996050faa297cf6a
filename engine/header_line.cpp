#include "header_line.h"

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
// A line longer than this goes to the writer in parts of about this size.
constexpr std::size_t kPartSize = 64 * 1024;
constexpr std::string_view kLineEnd = "\r\n";

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
  mixconv::AppendNumber(LineBytes, number);
  return *this;
}

HeaderLine& HeaderLine::AppendTwoDigits(int number) {
  mixconv::AppendTwoDigits(LineBytes, number);
  return *this;
}

HeaderLine& HeaderLine::AppendIndexDate(std::int32_t seconds) {
  mixconv::AppendIndexDate(LineBytes, seconds);
  return SetTime(seconds);
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

void HeaderLine::PassOnIfLong() {
  if (LineBytes.size() >= kPartSize) {
    PassOn(true);
  }
}

void HeaderLine::Finish() {
  Append(kLineEnd);
  PassOn(false);
}

void HeaderLine::PassOn(bool continues) {
  const std::string_view bytes = LineBytes;
  Addresses.clear();
  for (const AddressOffsets& offsets : Offsets) {
    Addresses.push_back(
        {bytes.substr(offsets.nameBegin, offsets.nameEnd - offsets.nameBegin),
         bytes.substr(offsets.addressBegin, offsets.addressEnd - offsets.addressBegin)});
  }
  out_.WriteHeaderLine({field_, bytes, Addresses, time_, continues});
  LineBytes.clear();
  Offsets.clear();
}

}  // namespace mixconv
