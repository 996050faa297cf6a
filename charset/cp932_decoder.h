// Code page 932 bytes to UTF-8, piece by piece: a character split between two
// pieces comes out whole.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "charset/icu_converter.h"

namespace mixconv {

class Cp932Decoder {
 public:
  // Throws std::runtime_error when ICU has no code page 932 converter.
  Cp932Decoder();
  Cp932Decoder(const Cp932Decoder&) = delete;
  Cp932Decoder& operator=(const Cp932Decoder&) = delete;

  // Appends the UTF-8 form of bytes to out. Bytes that are not valid code page
  // 932 become U+FFFD; endOfText also turns a character left incomplete into one.
  void Decode(std::string_view bytes, bool endOfText, std::string& out);

  // Whether any U+FFFD was produced since the last call.
  bool TakeInvalidSeen();

 private:
  Converter converter_;
  std::vector<UChar> utf16_;
  bool invalidSeen_ = false;
};

}  // namespace mixconv
