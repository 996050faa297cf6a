#include "charset/cp932.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "charset/ascii.h"
#include "charset/cp932_tables.h"
#include "charset/utf8.h"

#ifndef _WIN32
#include <iconv.h>

#include <cerrno>
#include <memory>
#endif

namespace mixconv {

namespace {

constexpr char32_t kLineSeparator = 0x2028;
constexpr char32_t kParagraphSeparator = 0x2029;

std::string CodePointName(char32_t codePoint) {
  std::array<char, 16> name{};
  std::snprintf(name.data(), name.size(), "U+%04X", static_cast<unsigned>(codePoint));
  return name.data();
}

// Unicode's control characters and the two separators that end lines.
bool IsControl(char32_t codePoint) {
  return codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0) ||
         codePoint == kLineSeparator || codePoint == kParagraphSeparator;
}

std::optional<std::uint16_t> Cp932Bytes(char32_t codePoint) {
  const std::uint32_t key = static_cast<std::uint32_t>(codePoint) << 16;
  const auto found = std::lower_bound(cp932::kEncodings.begin(), cp932::kEncodings.end(), key);
  if (found == cp932::kEncodings.end() || (*found >> 16) != codePoint) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(*found & 0xFFFF);
}

bool IsUtf8Name(std::string_view charset) {
  return EqualIgnoringAsciiCase(charset, "utf-8") || EqualIgnoringAsciiCase(charset, "utf8");
}

#ifndef _WIN32
struct IconvCloser {
  void operator()(void* descriptor) const { iconv_close(static_cast<iconv_t>(descriptor)); }
};

// The text in UTF-8, through the C library's own converters; nothing where
// the charset is unknown (error empty) or the text is not valid in it.
std::optional<std::string> ToUtf8(std::string_view text, const char* charset, std::string& error) {
  const iconv_t opened = iconv_open("UTF-8", charset);
  if (opened == reinterpret_cast<iconv_t>(-1)) {
    error = std::string("unknown charset ") + charset;
    return std::nullopt;
  }
  const std::unique_ptr<void, IconvCloser> descriptor(opened);
  std::string utf8(text.size() * 4, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* out = utf8.data();
  std::size_t outLeft = utf8.size();
  if (iconv(opened, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
    error = std::string("is not valid ") + charset + " text";
    return std::nullopt;
  }
  utf8.resize(utf8.size() - outLeft);
  return utf8;
}
#endif

}  // namespace

Cp932Text EncodeCp932(std::string_view text, const char* sourceCharset) {
  Cp932Text result;
  std::string converted;
  if (!IsUtf8Name(sourceCharset)) {
#ifdef _WIN32
    result.error = std::string("unknown charset ") + sourceCharset;
    return result;
#else
    std::optional<std::string> utf8 = ToUtf8(text, sourceCharset, result.error);
    if (!utf8) {
      return result;
    }
    converted = std::move(*utf8);
    text = converted;
#endif
  }
  while (!text.empty()) {
    const std::optional<char32_t> codePoint = TakeCodePoint(text);
    if (!codePoint) {
      result.error = std::string("is not valid ") + sourceCharset + " text";
      return result;
    }
    if (IsControl(*codePoint)) {
      result.error = "contains a control character (" + CodePointName(*codePoint) + ")";
      return result;
    }
    const std::optional<std::uint16_t> bytes = Cp932Bytes(*codePoint);
    if (!bytes) {
      result.error = "contains " + CodePointName(*codePoint) + ", which has no Shift_JIS form";
      return result;
    }
    if (*bytes > 0xFF) {
      result.bytes += static_cast<char>(*bytes >> 8);
    }
    result.bytes += static_cast<char>(*bytes & 0xFF);
  }
  return result;
}

}  // namespace mixconv
