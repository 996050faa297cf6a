#include "sender_name.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "line_text.h"
#include "sjis.h"

namespace mixconv {

namespace {

constexpr std::size_t kSenderNameSize = 20;
constexpr std::size_t kFieldWidth = 16;
constexpr std::size_t kUndeliveredFieldWidth = 10;

std::array<char, kSenderNameSize> SenderName;

// Where the name ends once trailing blanks are dropped; a double-byte character
// is never split, and one that starts in the last position keeps its trail byte.
std::size_t TrimmedLength(std::string_view field, std::size_t width) {
  std::size_t cut = 0;
  std::size_t i = 0;
  while (i < width && i < field.size()) {
    if (IsSjisLeadByte(static_cast<unsigned char>(field[i]))) {
      if (i + 1 < field.size() && field.substr(i, 2) != kIdeographicSpace) {
        cut = i + 2;
      }
      i += 2;
    } else {
      if (field[i] != ' ') {
        cut = i + 1;
      }
      ++i;
    }
  }
  return cut;
}

}  // namespace

std::string_view TakeSenderName(std::string_view titleLine, bool undeliveredNotice) {
  const std::size_t start = undeliveredNotice ? kUndeliveredMarker.size() : 0;
  const std::size_t width = undeliveredNotice ? kUndeliveredFieldWidth : kFieldWidth;
  const std::string_view line = UpToNul(UpToLineEnd(titleLine));
  const std::string_view field = line.substr(std::min(start, line.size())).substr(0, width + 1);
  const std::size_t length = TrimmedLength(field, width);
  std::memcpy(SenderName.data(), field.data(), length);
  SenderName[length] = '\0';
  return {SenderName.data(), length};
}

}  // namespace mixconv
