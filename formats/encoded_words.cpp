#include "formats/encoded_words.h"

#include <algorithm>
#include <array>

namespace mixconv {

namespace {

constexpr std::string_view kWordStart = "=?UTF-8?B?";
constexpr std::string_view kWordEnd = "?=";
constexpr std::size_t kMaxLineLength = 76;
constexpr std::size_t kFoldedColumn = 1;
// A word on a line of its own still gets this many bytes, however long the field name.
constexpr std::size_t kMinBytesPerWord = 3;
constexpr std::array<char, 64> kBase64Digits = {
    'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P',
    'Q', 'R', 'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z', 'a', 'b', 'c', 'd', 'e', 'f',
    'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o', 'p', 'q', 'r', 's', 't', 'u', 'v',
    'w', 'x', 'y', 'z', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '+', '/'};

void AppendBase64(std::string_view bytes, std::string& out) {
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    unsigned group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group = (group << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0U);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      out.push_back(k <= n ? kBase64Digits[(group >> (18 - 6 * k)) & 0x3F] : '=');
    }
  }
}

// Bytes of encoded text that fit a word starting at column.
std::size_t WordCapacity(std::size_t column) {
  const std::size_t overhead = column + kWordStart.size() + kWordEnd.size();
  const std::size_t digits = kMaxLineLength > overhead ? kMaxLineLength - overhead : 0;
  return std::max(digits / 4 * 3, kMinBytesPerWord);
}

bool IsContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The longest prefix of at most capacity bytes that ends between characters.
std::size_t WholeCharacters(std::string_view utf8, std::size_t capacity) {
  if (utf8.size() <= capacity) {
    return utf8.size();
  }
  std::size_t end = capacity;
  while (end > 0 && IsContinuationByte(utf8[end])) {
    --end;
  }
  // A character longer than a word (never in valid UTF-8) still goes out whole.
  if (end == 0) {
    end = 1;
    while (end < utf8.size() && IsContinuationByte(utf8[end])) {
      ++end;
    }
  }
  return end;
}

}  // namespace

void AppendEncodedWords(std::string_view utf8, std::size_t column, std::string& out) {
  for (;;) {
    const std::size_t taken = WholeCharacters(utf8, WordCapacity(column));
    out.append(kWordStart);
    AppendBase64(utf8.substr(0, taken), out);
    out.append(kWordEnd);
    utf8.remove_prefix(taken);
    if (utf8.empty()) {
      return;
    }
    out.append(kFoldingWhiteSpace);
    column = kFoldedColumn;
  }
}

}  // namespace mixconv
