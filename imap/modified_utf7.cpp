#include "imap/modified_utf7.h"

#include <cstdint>
#include <optional>

#include "charset/utf8.h"

namespace mixconv::imap {

namespace {

// Base64 with ',' in place of '/', and no padding.
constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+,";
constexpr char kShift = '&';
constexpr char kUnshift = '-';
constexpr char32_t kFirstPrintable = 0x20;
constexpr char32_t kLastPrintable = 0x7e;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char32_t kHighSurrogate = 0xd800;
constexpr char32_t kLowSurrogate = 0xdc00;
constexpr int kSurrogateBits = 10;
constexpr char32_t kSurrogateMask = 0x3ff;
constexpr int kSixBits = 6;
constexpr std::uint32_t kSixBitMask = 0x3f;
constexpr int kUnitBits = 16;

// Gathers UTF-16 units and writes them six bits at a time.
class Base64Run {
 public:
  explicit Base64Run(std::string& out) : out_(out) {}
  void Add(char32_t unit) {
    bits_ = (bits_ << kUnitBits) | unit;
    count_ += kUnitBits;
    while (count_ >= kSixBits) {
      count_ -= kSixBits;
      out_ += kAlphabet[(bits_ >> count_) & kSixBitMask];
    }
  }
  void End() {
    if (count_ > 0) {
      out_ += kAlphabet[(bits_ << (kSixBits - count_)) & kSixBitMask];
    }
    bits_ = 0;
    count_ = 0;
  }

 private:
  std::string& out_;
  std::uint32_t bits_ = 0;
  int count_ = 0;
};

bool IsPrintableAscii(char32_t c) { return c >= kFirstPrintable && c <= kLastPrintable; }

}  // namespace

std::string ModifiedUtf7(std::string_view utf8) {
  std::string out;
  Base64Run run(out);
  bool shifted = false;
  while (const std::optional<char32_t> c = TakeCodePoint(utf8)) {
    if (IsPrintableAscii(*c)) {
      if (shifted) {
        run.End();
        out += kUnshift;
        shifted = false;
      }
      out += static_cast<char>(*c);
      if (*c == static_cast<char32_t>(kShift)) {
        out += kUnshift;
      }
      continue;
    }
    if (!shifted) {
      out += kShift;
      shifted = true;
    }
    if (*c >= kFirstSupplementary) {
      const char32_t offset = *c - kFirstSupplementary;
      run.Add(kHighSurrogate | (offset >> kSurrogateBits));
      run.Add(kLowSurrogate | (offset & kSurrogateMask));
    } else {
      run.Add(*c);
    }
  }
  if (shifted) {
    run.End();
    out += kUnshift;
  }
  return out;
}

}  // namespace mixconv::imap
