#include "formats/message_id.h"

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
constexpr unsigned kWordBytes = 8;
constexpr std::size_t kBytesPerNumber = 4;
// Odd constants with well-mixed bits, as MurmurHash3 and xxHash use them.
constexpr std::uint64_t kFirstMultiplier = 0x87C37B91114253D5;
constexpr std::uint64_t kSecondMultiplier = 0x4CF5AD432745937F;
constexpr int kFirstRotation = 31;
constexpr int kSecondRotation = 27;

constexpr std::uint64_t RotateLeft(std::uint64_t value, int bits) {
  return (value << bits) | (value >> (64 - bits));
}

// MurmurHash3's finaliser: every input bit reaches every output bit.
constexpr std::uint64_t Finalise(std::uint64_t value) {
  value ^= value >> 33;
  value *= 0xFF51AFD7ED558CCD;
  value ^= value >> 33;
  value *= 0xC4CEB9FE1A85EC53;
  value ^= value >> 33;
  return value;
}

std::uint64_t LittleEndianWord(const char* bytes) {
  std::uint64_t word = 0;
  for (unsigned i = 0; i < kWordBytes; ++i) {
    word |= std::uint64_t{static_cast<unsigned char>(bytes[i])} << (i * kBitsPerByte);
  }
  return word;
}

void AppendHex(std::uint64_t value, std::string& out) {
  for (int shift = 64 - kBitsPerHexDigit; shift >= 0; shift -= kBitsPerHexDigit) {
    out += kHexDigits[(value >> shift) & 0xF];
  }
}

}  // namespace

void MessageIdHash::AddWord(std::uint64_t word) {
  first_ = RotateLeft(first_ ^ word, kFirstRotation) * kFirstMultiplier;
  second_ = RotateLeft(second_ ^ word, kSecondRotation) * kSecondMultiplier;
}

void MessageIdHash::Add(std::string_view bytes) {
  length_ += bytes.size();
  while (pendingBytes_ != 0 && !bytes.empty()) {
    pending_ |= std::uint64_t{static_cast<unsigned char>(bytes.front())}
                << (pendingBytes_ * kBitsPerByte);
    bytes.remove_prefix(1);
    if (++pendingBytes_ == kWordBytes) {
      AddWord(pending_);
      pending_ = 0;
      pendingBytes_ = 0;
    }
  }
  while (bytes.size() >= kWordBytes) {
    AddWord(LittleEndianWord(bytes.data()));
    bytes.remove_prefix(kWordBytes);
  }
  for (const char byte : bytes) {
    pending_ |= std::uint64_t{static_cast<unsigned char>(byte)} << (pendingBytes_ * kBitsPerByte);
    ++pendingBytes_;
  }
}

void MessageIdHash::AddNumber(std::uint32_t number) {
  std::array<char, kBytesPerNumber> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(number >> (i * kBitsPerByte));
  }
  Add(std::string_view(bytes.data(), bytes.size()));
}

std::string MessageIdHash::Id() const {
  // The last bytes and the length, so that trailing zero bytes still count.
  MessageIdHash last = *this;
  last.AddWord(last.pending_);
  last.AddWord(last.length_);
  std::string id(kIdStart);
  AppendHex(Finalise(last.first_), id);
  AppendHex(Finalise(last.second_), id);
  id += kIdEnd;
  return id;
}

std::string NormalisedMessageId(std::string_view value) {
  constexpr std::string_view kWhiteSpace = " \t";
  const std::size_t open = value.find('<');
  const std::size_t close = open == std::string_view::npos ? open : value.find('>', open);
  if (close != std::string_view::npos) {
    return std::string(value.substr(open, close - open + 1));
  }
  const std::size_t first = value.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) {
    return {};
  }
  return std::string(value.substr(first, value.find_last_not_of(kWhiteSpace) - first + 1));
}

}  // namespace mixconv
