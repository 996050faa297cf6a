#include "imap/message_id_field.h"

#include "engine/line_text.h"
#include "formats/message_id.h"

namespace mixconv::imap {

namespace {

constexpr std::string_view kFieldName = "message-id";
constexpr std::string_view kWhiteSpace = " \t";

// The next line of text, without its line end; text loses it.
std::string_view TakeLine(std::string_view& text) {
  const std::size_t lineFeed = text.find('\n');
  std::string_view line = text.substr(0, lineFeed);
  text.remove_prefix(lineFeed == std::string_view::npos ? text.size() : lineFeed + 1);
  if (line.ends_with('\r')) {
    line.remove_suffix(1);
  }
  return line;
}

bool IsContinuation(std::string_view line) {
  return !line.empty() && kWhiteSpace.find(line.front()) != std::string_view::npos;
}

}  // namespace

std::string MessageIdOf(std::string_view message) {
  while (!message.empty()) {
    const std::string_view line = TakeLine(message);
    if (line.empty()) {
      return {};
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || IsContinuation(line) ||
        !EqualIgnoringAsciiCase(line.substr(0, colon), kFieldName)) {
      continue;
    }
    std::string value(line.substr(colon + 1));
    std::string_view rest = message;
    while (!rest.empty()) {
      const std::string_view next = TakeLine(rest);
      if (!IsContinuation(next)) {
        break;
      }
      value += next;
      message = rest;
    }
    return NormalisedMessageId(value);
  }
  return {};
}

}  // namespace mixconv::imap
