#include "charset/search_folding.h"

#include <array>
#include <optional>

#include "charset/utf8.h"

namespace mixconv {

namespace {

constexpr char32_t kFullWidthAsciiFirst = U'\uFF01';
constexpr char32_t kFullWidthAsciiLast = U'\uFF5E';
constexpr char32_t kFullWidthAsciiOffset = kFullWidthAsciiFirst - U'!';
constexpr char32_t kIdeographicSpace = U'\u3000';
constexpr char32_t kHalfWidthKatakanaFirst = U'\uFF61';
constexpr char32_t kHalfWidthVoicedMark = U'\uFF9E';
constexpr char32_t kHalfWidthSemiVoicedMark = U'\uFF9F';
// What NFKC makes of the marks alone: the combining forms.
constexpr char32_t kCombiningVoicedMark = U'\u3099';
constexpr char32_t kCombiningSemiVoicedMark = U'\u309A';
constexpr unsigned char kFirstNonAscii = 0x80;
// U+3000 to U+9FFF in UTF-8: three bytes, the first of them these.
constexpr std::size_t kCjkLength = 3;
constexpr unsigned char kCjkFirstLead = 0xE3;
constexpr unsigned char kCjkLastLead = 0xE9;
constexpr std::string_view kIdeographicSpaceUtf8 = "\u3000";
constexpr char32_t kReplacementCharacter = U'\uFFFD';
constexpr char32_t kCaseOffset = 0x20;
constexpr char32_t kCyrillicIo = U'\u0401';
constexpr char32_t kCyrillicIoSmall = U'\u0451';

// U+FF61 to U+FF9D: the full-width forms, in that order.
constexpr std::u32string_view kFullWidthKatakana =
    U"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
    U"ハヒフヘホマミムメモヤユヨラリルレロワン";

// The letter that a voiced (ﾞ) or semi-voiced (ﾟ) mark after katakana makes, as
// NFKC composes it; nothing where the pair stays two characters.
std::optional<char32_t> WithMark(char32_t katakana, char32_t mark) {
  const bool voicedRow = (katakana >= U'カ' && katakana <= U'ト' && katakana != U'ッ') ||
                         (katakana >= U'ハ' && katakana <= U'ホ');
  if (mark == kHalfWidthVoicedMark) {
    if (katakana == U'ウ') {
      return U'ヴ';
    }
    if (katakana == U'ワ') {
      return U'ヷ';
    }
    if (voicedRow && (katakana < U'ハ' || (katakana - U'ハ') % 3 == 0)) {
      return katakana + 1;
    }
  }
  if (mark == kHalfWidthSemiVoicedMark && katakana >= U'ハ' && katakana <= U'ホ' &&
      (katakana - U'ハ') % 3 == 0) {
    return katakana + 2;
  }
  return std::nullopt;
}

char32_t FullWidth(char32_t codePoint) {
  if (codePoint >= kFullWidthAsciiFirst && codePoint <= kFullWidthAsciiLast) {
    return codePoint - kFullWidthAsciiOffset;
  }
  if (codePoint == kIdeographicSpace) {
    return U' ';
  }
  if (codePoint >= kHalfWidthKatakanaFirst && codePoint < kHalfWidthVoicedMark) {
    return kFullWidthKatakana[codePoint - kHalfWidthKatakanaFirst];
  }
  if (codePoint == kHalfWidthVoicedMark) {
    return kCombiningVoicedMark;
  }
  if (codePoint == kHalfWidthSemiVoicedMark) {
    return kCombiningSemiVoicedMark;
  }
  return codePoint;
}

char32_t SmallLetter(char32_t codePoint) {
  const bool capital = (codePoint >= U'A' && codePoint <= U'Z') ||
                       (codePoint >= U'Α' && codePoint <= U'Ω' && codePoint != U'\u03A2') ||
                       (codePoint >= U'А' && codePoint <= U'Я');
  if (capital) {
    return codePoint + kCaseOffset;
  }
  return codePoint == kCyrillicIo ? kCyrillicIoSmall : codePoint;
}

// Whether text starts with a character of U+3001 to U+9FFF, kana and kanji
// among them, which fold to themselves: a quick look for most of a Japanese text.
bool IsUnchangedCjk(std::string_view text) {
  if (text.size() < kCjkLength) {
    return false;
  }
  const auto lead = static_cast<unsigned char>(text[0]);
  const auto second = static_cast<unsigned char>(text[1]);
  const auto third = static_cast<unsigned char>(text[2]);
  const auto continues = [](unsigned char byte) { return (byte & 0xC0) == 0x80; };
  return lead >= kCjkFirstLead && lead <= kCjkLastLead && continues(second) && continues(third) &&
         text.substr(0, kCjkLength) != kIdeographicSpaceUtf8;
}

}  // namespace

// Bytes that fold to themselves, most of any text, are copied a run at a time.
void AppendFoldedForSearch(std::string& out, std::string_view utf8) {
  out.reserve(out.size() + utf8.size());
  std::array<char, 4> bytes{};
  std::optional<char32_t> pending;  // a katakana a mark may still join
  std::size_t runStart = 0;
  std::size_t position = 0;
  const auto put = [&](char32_t codePoint) {
    out.append(bytes.data(), WriteUtf8(SmallLetter(codePoint), bytes.data()));
  };
  while (position < utf8.size()) {
    const auto byte = static_cast<unsigned char>(utf8[position]);
    if (byte < kFirstNonAscii && !pending) {
      if (byte >= 'A' && byte <= 'Z') {
        out.append(utf8.substr(runStart, position - runStart));
        out += static_cast<char>(byte + kCaseOffset);
        runStart = position + 1;
      }
      ++position;
      continue;
    }
    if (!pending && IsUnchangedCjk(utf8.substr(position))) {
      position += kCjkLength;
      continue;
    }
    std::string_view rest = utf8.substr(position);
    const std::optional<char32_t> taken = TakeCodePoint(rest);
    const std::size_t length = taken ? utf8.size() - position - rest.size() : 1;
    const char32_t next = taken.value_or(kReplacementCharacter);
    const char32_t folded = FullWidth(next);
    if (!pending && taken && folded == next && SmallLetter(next) == next) {
      position += length;
      continue;
    }
    out.append(utf8.substr(runStart, position - runStart));
    position += length;
    runStart = position;
    if (pending) {
      if (const std::optional<char32_t> joined = WithMark(*pending, next)) {
        put(*joined);
        pending.reset();
        continue;
      }
      put(*pending);
      pending.reset();
    }
    if (folded != next && folded >= U'ァ' && folded <= U'ヺ') {
      pending = folded;
    } else {
      put(folded);
    }
  }
  out.append(utf8.substr(runStart, position - runStart));
  if (pending) {
    put(*pending);
  }
}

}  // namespace mixconv
