// A Message-ID that is the same for the same mail on every run and from every
// front end, and different for different mails: a hash of what the writer sees
// of the mail.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mixconv {

inline constexpr std::uint64_t kFnv1aOffsetBasis = 0xCBF29CE484222325;
inline constexpr std::uint64_t kFnv1aPrime = 0x100000001B3;

constexpr std::uint64_t Fnv1aStep(std::uint64_t hash, char byte) {
  return (hash ^ static_cast<unsigned char>(byte)) * kFnv1aPrime;
}

// FNV-1a, 64 bits, continued from hash: well known, a few lines, no library,
// and the same on every platform.
constexpr std::uint64_t Fnv1a64(std::uint64_t hash, std::string_view bytes) {
  for (const char byte : bytes) {
    hash = Fnv1aStep(hash, byte);
  }
  return hash;
}

class MessageIdHash {
 public:
  void Add(std::string_view bytes);
  // Added as its four bytes, little endian, so that the hash is the same everywhere.
  void AddNumber(std::uint32_t number);
  // "<32 hex digits@mixconv.invalid>"
  std::string Id() const;

 private:
  // Two FNV-1a hashes from different starting points: with 128 bits, two mails
  // that differ practically never share an ID, however many logs are converted.
  std::uint64_t first_ = kFnv1aOffsetBasis;
  std::uint64_t second_ = Fnv1a64(kFnv1aOffsetBasis, "mixconv");
};

}  // namespace mixconv
