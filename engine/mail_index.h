// The mail index file NAME.MIX: a 10-byte preamble, a 32-bit count, then 24-byte entries.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mixconv {

inline constexpr std::size_t kIndexPreambleSize = 10;
inline constexpr std::size_t kEntryCountSize = 4;
inline constexpr std::size_t kIndexEntrySize = 24;

enum class MailKind : std::uint8_t {
  Received = 0,
  Binary = 1,
  Sent = 2,
  BinaryOther = 3,
  AbsenceNotice = 4,
};

struct MailIndexEntry {
  std::int32_t time = 0;  // seconds since 1970-01-01 00:00:00 UTC
  std::uint8_t attr = 0;
  std::uint8_t kind = 0;  // a MailKind, or an unknown value
  std::int32_t offset = 0;
  std::uint32_t length = 0;
};

std::uint32_t DecodeEntryCount(const unsigned char* bytes);
MailIndexEntry DecodeIndexEntry(const unsigned char* bytes);

bool IsBinaryMail(const MailIndexEntry& entry);

}  // namespace mixconv
