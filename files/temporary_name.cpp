#include "files/temporary_name.h"

#include <array>
#include <cstdio>
#include <random>
#include <string_view>

#include "files/file_path.h"

namespace mixconv::files {

namespace {

// The longest file name that Linux's and Windows' file systems take.
constexpr std::size_t kMaxNameBytes = 255;
constexpr char kTagFormat[] = ".%08x";
constexpr std::size_t kTagDigits = 8;
constexpr std::string_view kSuffix = ".tmp";
constexpr std::size_t kAddedBytes = 1 + kTagDigits + kSuffix.size();

bool IsUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The final name, cut so that the tag still fits, never inside a character.
std::string NamePrefix(const std::filesystem::path& finalPath) {
  std::string name = PathText(finalPath.filename());
  if (name.size() + kAddedBytes > kMaxNameBytes) {
    std::size_t cut = kMaxNameBytes - kAddedBytes;
    while (cut > 0 && IsUtf8Continuation(name[cut])) {
      --cut;
    }
    name.resize(cut);
  }
  return name;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

}  // namespace

std::filesystem::path TemporaryName(const std::filesystem::path& finalPath) {
  static std::random_device entropy;
  std::array<char, kAddedBytes> tag{};
  std::snprintf(tag.data(), tag.size(), kTagFormat, static_cast<unsigned>(entropy()));
  return finalPath.parent_path() / FilePath(NamePrefix(finalPath) + tag.data() + std::string(kSuffix));
}

bool IsTemporaryNameFor(const std::string& name, const std::filesystem::path& finalPath) {
  const std::string prefix = NamePrefix(finalPath);
  if (name.size() != prefix.size() + kAddedBytes || !name.starts_with(prefix) ||
      !name.ends_with(kSuffix) || name[prefix.size()] != '.') {
    return false;
  }
  const std::string_view digits = std::string_view(name).substr(prefix.size() + 1, kTagDigits);
  for (const char digit : digits) {
    if (!IsHexDigit(digit)) {
      return false;
    }
  }
  return true;
}

}  // namespace mixconv::files
