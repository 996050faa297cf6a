// Shift_JIS (code page 932) byte rules and the markers the terminal program writes.
#pragma once

#include <string_view>

namespace mixconv {

// 0xEA, not 0xEF or 0xFC: the terminal program's own rule.
constexpr bool IsSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xEA);
}

inline constexpr std::string_view kIdeographicSpace = "\x81\x40";
// "題名："
inline constexpr std::string_view kTitleMarker = "\x91\xE8\x96\xBC\x81\x46";
// "不達："
inline constexpr std::string_view kUndeliveredMarker = "\x95\x73\x92\x42\x81\x46";
// "不在通知"
inline constexpr std::string_view kAbsenceNoticeSubject = "\x95\x73\x8D\xDD\x92\xCA\x92\x6D";

}  // namespace mixconv
