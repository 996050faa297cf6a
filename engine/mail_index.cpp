#include "mail_index.h"

namespace mixconv {

namespace {

constexpr std::uint8_t kAttrTypeMask = 0x0F;
constexpr std::uint8_t kAttrBinary = 0x08;

std::uint32_t LittleEndian32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

std::uint32_t DecodeEntryCount(const unsigned char* bytes) { return LittleEndian32(bytes); }

MailIndexEntry DecodeIndexEntry(const unsigned char* bytes) {
  MailIndexEntry entry;
  entry.time = static_cast<std::int32_t>(LittleEndian32(bytes + 0));
  entry.attr = bytes[4];
  entry.kind = bytes[6];
  entry.offset = static_cast<std::int32_t>(LittleEndian32(bytes + 8));
  entry.length = LittleEndian32(bytes + 12);
  return entry;
}

bool IsBinaryMail(const MailIndexEntry& entry) {
  const auto kind = static_cast<MailKind>(entry.kind);
  return (entry.attr & kAttrTypeMask) == kAttrBinary || kind == MailKind::Binary ||
         kind == MailKind::BinaryOther;
}

}  // namespace mixconv
