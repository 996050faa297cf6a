#include "charset/utf8.h"

namespace mixconv {

namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kSurrogatesBegin = 0xD800;
constexpr char32_t kSurrogatesEnd = 0xE000;

struct SequenceForm {
  unsigned char leadMask;  // the lead byte's bits that belong to the code point
  char32_t smallest;       // below this, a shorter sequence was due
};

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::size_t WriteUtf8(char32_t codePoint, char* out) {
  if (codePoint < 0x80) {
    out[0] = static_cast<char>(codePoint);
    return 1;
  }
  if (codePoint < 0x800) {
    out[0] = static_cast<char>(0xC0 | codePoint >> 6);
    out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 2;
  }
  if (codePoint < 0x10000) {
    out[0] = static_cast<char>(0xE0 | codePoint >> 12);
    out[1] = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | codePoint >> 18);
  out[1] = static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
  out[2] = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
  out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
  return 4;
}

std::optional<char32_t> TakeCodePoint(std::string_view& text) {
  if (text.empty()) {
    return std::nullopt;
  }
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  SequenceForm form{};
  if (lead < 0x80) {
    length = 1;
    form = {0x7F, 0};
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    form = {0x1F, 0x80};
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    form = {0x0F, 0x800};
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    form = {0x07, 0x10000};
  } else {
    return std::nullopt;
  }
  if (text.size() < length) {
    return std::nullopt;
  }
  char32_t codePoint = lead & form.leadMask;
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (!IsContinuation(byte)) {
      return std::nullopt;
    }
    codePoint = codePoint << 6 | (byte & 0x3F);
  }
  if (codePoint < form.smallest || codePoint > kLastCodePoint ||
      (codePoint >= kSurrogatesBegin && codePoint < kSurrogatesEnd)) {
    return std::nullopt;
  }
  text.remove_prefix(length);
  return codePoint;
}

bool IsUtf8(std::string_view text) {
  while (!text.empty()) {
    if (!TakeCodePoint(text)) {
      return false;
    }
  }
  return true;
}

}  // namespace mixconv
