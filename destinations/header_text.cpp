#include "destinations/header_text.h"

#include <cstdint>

#include "charset/utf8.h"
#include "engine/line_text.h"

namespace mixconv {

namespace {

constexpr std::string_view kWordStart = "=?";
constexpr std::string_view kWordEnd = "?=";
constexpr std::string_view kDecodedCharsets[] = {"UTF-8", "US-ASCII"};
constexpr std::string_view kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kBase64Padding = '=';
constexpr int kBase64Bits = 6;
constexpr char kQuotedByte = '=';
constexpr char kQuotedSpace = '_';
constexpr char kLanguageStart = '*';  // RFC 2231: "UTF-8*ja"

struct EncodedWord {
  std::string_view charset;
  char encoding = 0;
  std::string_view text;
  std::size_t length = 0;  // of the whole word, delimiters included
};

// The encoded-word that value starts with, if it does.
std::optional<EncodedWord> ParseWord(std::string_view value) {
  if (!value.starts_with(kWordStart)) {
    return std::nullopt;
  }
  const std::size_t charsetEnd = value.find('?', kWordStart.size());
  if (charsetEnd == std::string_view::npos || charsetEnd + 2 >= value.size() ||
      value[charsetEnd + 2] != '?') {
    return std::nullopt;
  }
  const std::size_t textStart = charsetEnd + 3;
  const std::size_t textEnd = value.find(kWordEnd, textStart);
  if (textEnd == std::string_view::npos) {
    return std::nullopt;
  }
  EncodedWord word;
  word.charset = value.substr(kWordStart.size(), charsetEnd - kWordStart.size());
  word.charset = word.charset.substr(0, word.charset.find(kLanguageStart));
  word.encoding = AsciiLower(value[charsetEnd + 1]);
  word.text = value.substr(textStart, textEnd - textStart);
  word.length = textEnd + kWordEnd.size();
  if (word.text.find_first_of(" \t") != std::string_view::npos) {
    return std::nullopt;
  }
  return word;
}

bool AppendBase64(std::string_view text, std::string& out) {
  std::uint32_t bits = 0;
  int bitCount = 0;
  for (const char c : text) {
    if (c == kBase64Padding) {
      break;
    }
    const std::size_t value = kBase64Alphabet.find(c);
    if (value == std::string_view::npos) {
      return false;
    }
    bits = (bits << kBase64Bits) | static_cast<std::uint32_t>(value);
    bitCount += kBase64Bits;
    if (bitCount >= 8) {
      bitCount -= 8;
      out += static_cast<char>((bits >> bitCount) & 0xFF);
    }
  }
  return true;
}

int HexValue(char c) {
  const char lower = AsciiLower(c);
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

bool AppendQuoted(std::string_view text, std::string& out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kQuotedSpace) {
      out += ' ';
    } else if (text[i] != kQuotedByte) {
      out += text[i];
    } else if (i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

bool AppendDecoded(const EncodedWord& word, std::string& out) {
  bool known = false;
  for (const std::string_view charset : kDecodedCharsets) {
    known = known || EqualIgnoringAsciiCase(word.charset, charset);
  }
  if (!known) {
    return false;
  }
  if (word.encoding == 'b') {
    return AppendBase64(word.text, out);
  }
  return word.encoding == 'q' && AppendQuoted(word.text, out);
}

}  // namespace

std::optional<std::string> DecodeHeaderText(std::string_view value) {
  std::string text;
  std::string space;  // held until it is known not to lie between two words
  bool afterWord = false;
  while (!value.empty()) {
    if (const std::optional<EncodedWord> word = ParseWord(value)) {
      if (!afterWord) {
        text += space;
      }
      if (!AppendDecoded(*word, text)) {
        return std::nullopt;
      }
      space.clear();
      afterWord = true;
      value.remove_prefix(word->length);
      continue;
    }
    if (value.front() == ' ' || value.front() == '\t') {
      space += value.front();
    } else {
      text += space;
      text += value.front();
      space.clear();
      afterWord = false;
    }
    value.remove_prefix(1);
  }
  if (!IsUtf8(text)) {
    return std::nullopt;
  }
  return text;
}

}  // namespace mixconv
