#include "formats/quoted_printable.h"

#include <algorithm>

namespace mixconv {

namespace {

constexpr std::string_view kFromLineStart = "From ";
constexpr char kQuote = '>';
constexpr std::size_t kMaxLineLength = 76;
constexpr std::string_view kSoftLineBreak = "=\n";
constexpr char kLineEnd = '\n';
constexpr char kEscape = '=';
constexpr std::size_t kEscapedLength = 3;
constexpr std::size_t kPieceSize = 64 * 1024;
constexpr std::string_view kHexDigits = "0123456789ABCDEF";

// Bytes that stand for themselves; so do a space and a tab, but not at a line's
// end, where transports may drop them.
bool IsLiteral(unsigned char byte) { return byte >= '!' && byte <= '~' && byte != kEscape; }

bool IsBlank(char byte) { return byte == ' ' || byte == '\t'; }

// The bytes of the UTF-8 character that starts with lead: one for ASCII and
// for a byte that starts no character.
std::size_t CharacterLength(unsigned char lead) {
  return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

void AppendEscaped(unsigned char byte, std::string& out) {
  out += kEscape;
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0xF];
}

void WriteIfFull(std::string& buffer, MessageSink& out) {
  if (buffer.size() >= kPieceSize) {
    out.Write(buffer);
    buffer.clear();
  }
}

}  // namespace

bool ReadsAsFromLine(std::string_view line) {
  line.remove_prefix(std::min(line.find_first_not_of(kQuote), line.size()));
  return line.starts_with(kFromLineStart);
}

void AppendQuotedPrintableLine(std::string_view line, std::string& buffer, MessageSink& out) {
  std::size_t column = 0;
  for (std::size_t i = 0; i < line.size();) {
    const auto lead = static_cast<unsigned char>(line[i]);
    const bool lastByte = i + 1 == line.size();
    // The first byte escaped is enough: "=46rom " and "=3EFrom " are no From lines.
    const bool literal = (IsLiteral(lead) && !(column == 0 && ReadsAsFromLine(line.substr(i)))) ||
                         (IsBlank(line[i]) && !lastByte);
    const std::size_t length = literal ? 1 : std::min(CharacterLength(lead), line.size() - i);
    const std::size_t width = literal ? 1 : length * kEscapedLength;
    // Room is kept for the "=" of a soft line break.
    if (column > 0 && column + width >= kMaxLineLength) {
      buffer += kSoftLineBreak;
      column = 0;
      WriteIfFull(buffer, out);
      continue;
    }
    if (literal) {
      buffer += line[i];
    } else {
      for (std::size_t k = 0; k < length; ++k) {
        AppendEscaped(static_cast<unsigned char>(line[i + k]), buffer);
      }
    }
    column += width;
    i += length;
  }
  buffer += kLineEnd;
  WriteIfFull(buffer, out);
}

}  // namespace mixconv
