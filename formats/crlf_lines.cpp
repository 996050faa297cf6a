#include "formats/crlf_lines.h"

namespace mixconv {

namespace {

constexpr std::string_view kCrLf = "\r\n";

}  // namespace

void CrLfLines::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t lineFeed = bytes.find('\n');
    const std::string_view text = bytes.substr(0, lineFeed);
    if (!text.empty()) {
      out_.Write(text);
      afterCr_ = text.back() == '\r';
    }
    if (lineFeed == std::string_view::npos) {
      return;
    }
    out_.Write(afterCr_ ? kCrLf.substr(1) : kCrLf);
    afterCr_ = false;
    bytes.remove_prefix(lineFeed + 1);
  }
}

}  // namespace mixconv
