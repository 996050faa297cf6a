// Code page 932 as tables, generated from ICU by make_cp932_tables and
// committed, so that no program needs ICU to run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace mixconv::cp932 {

inline constexpr std::uint16_t kNoCharacter = 0xFFFD;
inline constexpr std::size_t kLeadByteCount = 60;

// Bytes 0x80 to 0xFF on their own: the character, kNoCharacter where they are
// none, or kLeadByte where they start a pair.
inline constexpr std::uint16_t kLeadByte = 0x0000;
extern const std::array<std::uint16_t, 128> kSingleBytes;

// For each lead byte in ascending order, what it makes with each byte after it:
// the character; kInvalidPair where the two bytes are one character that does
// not exist; kLeadAlone where the lead byte is one invalid character and the
// byte after it must be read again on its own.
inline constexpr std::uint16_t kInvalidPair = kNoCharacter;
inline constexpr std::uint16_t kLeadAlone = 0x0000;
extern const std::array<std::array<std::uint16_t, 256>, kLeadByteCount> kPairs;

// Every code point with a form in code page 932, Microsoft's fallbacks
// included, ascending: the code point in the high half, its bytes as one
// number (0xXX or 0xLLTT) in the low half.
extern const std::span<const std::uint32_t> kEncodings;

}  // namespace mixconv::cp932
