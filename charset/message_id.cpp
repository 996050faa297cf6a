#include "charset/message_id.h"

#include <array>

namespace mixconv {

namespace {

// Not the service's mail domain: IDs there would claim to come from its hosts.
// A top-level domain reserved never to exist (RFC 2606) names no host, so these
// IDs can never be taken for ones a real host gave out.
constexpr std::string_view kIdStart = "<";
constexpr std::string_view kIdEnd = "@mixconv.invalid>";
constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr int kBitsPerHexDigit = 4;
constexpr int kBitsPerByte = 8;
constexpr std::size_t kBytesPerNumber = 4;

void AppendHex(std::uint64_t value, std::string& out) {
  for (int shift = 64 - kBitsPerHexDigit; shift >= 0; shift -= kBitsPerHexDigit) {
    out += kHexDigits[(value >> shift) & 0xF];
  }
}

}  // namespace

void MessageIdHash::Add(std::string_view bytes) {
  // One loop for both: the two multiplications run side by side.
  std::uint64_t first = first_;
  std::uint64_t second = second_;
  for (const char byte : bytes) {
    first = Fnv1aStep(first, byte);
    second = Fnv1aStep(second, byte);
  }
  first_ = first;
  second_ = second;
}

void MessageIdHash::AddNumber(std::uint32_t number) {
  std::array<char, kBytesPerNumber> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(number >> (i * kBitsPerByte));
  }
  Add(std::string_view(bytes.data(), bytes.size()));
}

std::string MessageIdHash::Id() const {
  std::string id(kIdStart);
  AppendHex(first_, id);
  AppendHex(second_, id);
  id += kIdEnd;
  return id;
}

}  // namespace mixconv
