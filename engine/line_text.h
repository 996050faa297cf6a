// Small byte-string helpers for taking values out of a mail's lines.
#pragma once

#include <string_view>

#include "charset/ascii.h"

namespace mixconv {

// A value taken from a line never runs past that line's end.
constexpr std::string_view UpToLineEnd(std::string_view line) {
  return line.substr(0, line.find_first_of("\r\n"));
}

// A line's text without its line end: up to its LF, less a CR right before it.
// (A CR anywhere else is text: some logs hold stray ones.)
constexpr std::string_view WithoutLineEnd(std::string_view line) {
  line = line.substr(0, line.find('\n'));
  return line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
}

// A NUL ends a value the way it ends the C string it was kept in.
constexpr std::string_view UpToNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

}  // namespace mixconv
