// How header lines are read: the synthesised lines' "Name: " prefix, and a
// gateway mail's own header lines told from its text, by the writer that
// copies them and by the facts read from them alike.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace mixconv {

inline constexpr std::string_view kFieldEnd = ": ";
inline constexpr std::string_view kMessageIdFieldName = "message-id";

// How many bytes of a synthesised line's first part its "Name: " takes; 0 when it has none.
inline std::size_t FieldPrefixLength(std::string_view line) {
  const std::size_t fieldEnd = line.find(kFieldEnd);
  return fieldEnd == std::string_view::npos ? 0 : fieldEnd + kFieldEnd.size();
}

inline std::string_view FieldName(std::string_view line) { return line.substr(0, line.find(':')); }

inline bool IsFieldNameByte(char byte) { return byte > ' ' && byte <= '~' && byte != ':'; }

inline bool IsHeaderFieldLine(std::string_view line) {
  const std::string_view name = FieldName(line);
  return name.size() < line.size() && !name.empty() &&
         std::all_of(name.begin(), name.end(), IsFieldNameByte);
}

inline bool IsFoldedLine(std::string_view line) {
  return !line.empty() && (line.front() == ' ' || line.front() == '\t');
}

}  // namespace mixconv
