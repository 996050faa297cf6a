#include "destinations/portable_name.h"

#include <array>

#include "charset/utf8.h"

namespace mixconv {

namespace {

constexpr std::string_view kReservedCharacters = "<>:\"/\\|?*";
constexpr char32_t kLastC0Control = 0x1F;
constexpr char32_t kDelete = 0x7F;
constexpr char32_t kLastC1Control = 0x9F;

struct Range {
  char32_t first;
  char32_t last;
};
// Zero-width, direction and line-separating characters: a name holding them
// reads as something it is not, or breaks a listing's line.
constexpr Range kInvisibleRanges[] = {
    {0x200B, 0x200F}, {0x2028, 0x202E}, {0x2060, 0x2064}, {0x2066, 0x2069}, {0xFEFF, 0xFEFF}};

bool BecomesSpace(char32_t c) {
  if (c <= kLastC0Control || (c >= kDelete && c <= kLastC1Control) || c == ' ') {
    return true;
  }
  if (c < 0x80 && kReservedCharacters.find(static_cast<char>(c)) != std::string_view::npos) {
    return true;
  }
  for (const Range& range : kInvisibleRanges) {
    if (c >= range.first && c <= range.last) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string PortableNameText(std::string_view utf8, std::size_t maxCharacters) {
  std::string name;
  std::size_t characters = 0;
  bool spaceDue = false;
  while (const std::optional<char32_t> c = TakeCodePoint(utf8)) {
    if (BecomesSpace(*c) || (*c == '.' && name.empty())) {
      spaceDue = !name.empty();
      continue;
    }
    if (characters + (spaceDue ? 2 : 1) > maxCharacters) {
      break;
    }
    if (spaceDue) {
      name += ' ';
      ++characters;
      spaceDue = false;
    }
    std::array<char, 4> bytes{};
    name.append(bytes.data(), WriteUtf8(*c, bytes.data()));
    ++characters;
  }
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
    name.pop_back();
  }
  return name;
}

}  // namespace mixconv
