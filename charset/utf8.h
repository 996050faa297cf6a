// UTF-8, one code point at a time.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace mixconv {

// Writes the code point's UTF-8 bytes (one to four) to out; returns how many.
std::size_t WriteUtf8(char32_t codePoint, char* out);

// Takes the first code point off text; nothing, and text as it was, where text
// does not start with well-formed UTF-8 (no overlong forms, no surrogates).
std::optional<char32_t> TakeCodePoint(std::string_view& text);

// True when all of text is well-formed UTF-8.
bool IsUtf8(std::string_view text);

}  // namespace mixconv
