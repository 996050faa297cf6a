// How a gateway mail's own header lines are told from its text: by the writer
// that copies them and by the facts read from them alike.
#pragma once

#include <algorithm>
#include <string_view>

namespace mixconv {

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
