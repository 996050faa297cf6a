// A Message-ID that is the same for the same mail on every run and from every
// front end, and different for different mails: a hash of what the writer sees
// of the mail.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mixconv {

// Two 64-bit lanes over the bytes taken as little-endian 8-byte words: one
// multiplication per word and lane, where a byte-wise hash would need one per
// byte, so that hashing every mail costs little beside its conversion. The same
// on every platform, and the same however the bytes arrive in pieces.
class MessageIdHash {
 public:
  void Add(std::string_view bytes);
  // Added as its four bytes, little endian.
  void AddNumber(std::uint32_t number);
  // "<32 hex digits@mixconv.invalid>"
  std::string Id() const;

 private:
  void AddWord(std::uint64_t word);

  std::uint64_t first_ = 0x9E3779B97F4A7C15;
  std::uint64_t second_ = 0xC2B2AE3D27D4EB4F;
  std::uint64_t pending_ = 0;  // bytes of a word not yet whole, the first lowest
  unsigned pendingBytes_ = 0;
  std::uint64_t length_ = 0;
};

// A Message-ID field's value as messages are told apart by it: its "<...>",
// else the value without surrounding white space.
std::string NormalisedMessageId(std::string_view value);

}  // namespace mixconv
