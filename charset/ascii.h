#pragma once

#include <algorithm>
#include <string_view>

namespace mixconv {

inline bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

}  // namespace mixconv
