// Code page 932 bytes to UTF-8, piece by piece: a character split between two
// pieces comes out whole.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mixconv {

class Cp932Decoder {
 public:
  Cp932Decoder();

  // The UTF-8 form of bytes, valid until the next call. Bytes that are not valid
  // code page 932 become U+FFFD; endOfText also turns a character left
  // incomplete into one.
  std::string_view Decode(std::string_view bytes, bool endOfText);

  // Whether any U+FFFD was produced since the last call.
  bool TakeInvalidSeen();

  // What one byte makes, or a lead byte and the byte after it.
  struct Entry {
    std::array<char, 6> utf8{};
    std::uint8_t length = 0;
    std::uint8_t consumed = 0;
    bool invalid = false;
  };

 private:
  char* Append(const Entry& entry, char* out);

  // Every byte and byte pair, ready to copy.
  std::array<Entry, 256> singleBytes_{};       // bytes from 0x80 that are not lead bytes
  std::array<std::int16_t, 256> leadIndex_{};  // -1 for a byte that is not a lead byte
  std::vector<std::array<Entry, 256>> pairs_;
  // The same answers for the pairs that are one valid character, indexed by
  // both bytes at once, in a quarter of the room: its UTF-8 bytes, then their
  // count in the last byte; all zero where pairs_ or singleBytes_ must be read.
  using PackedCharacter = std::array<char, 4>;
  std::vector<PackedCharacter> pairCharacters_;
  std::vector<Entry> incompleteLeads_;  // a lead byte at the end of the text
  std::optional<unsigned char> pendingLead_;
  std::vector<char> utf8_;  // grows to the longest text decoded, and stays
  bool invalidSeen_ = false;
};

}  // namespace mixconv
