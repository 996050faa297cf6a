// ASCII byte rules, which hold in Shift_JIS and UTF-8 text alike.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace mixconv {

inline bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

// Byte by byte: trail bytes of double-byte characters are lower-cased too.
constexpr char AsciiLower(char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// Equal but for the case of ASCII letters, as file names and field names compare.
constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace mixconv
