#include "charset/cp932_decoder.h"

#include <algorithm>
#include <cstring>

#include "charset/cp932_tables.h"
#include "charset/utf8.h"

namespace mixconv {

namespace {

constexpr unsigned kAsciiEnd = 0x80;
// A byte becomes at most a U+FFFD (three bytes), a byte pair at most one character.
constexpr std::size_t kMaxUtf8BytesPerByte = 3;

Cp932Decoder::Entry CharacterEntry(std::uint16_t character, std::uint8_t consumed) {
  Cp932Decoder::Entry entry;
  entry.length = static_cast<std::uint8_t>(WriteUtf8(character, entry.utf8.data()));
  entry.consumed = consumed;
  entry.invalid = character == cp932::kNoCharacter;
  return entry;
}

// The character's UTF-8 bytes, then their count in the last byte.
std::array<char, 4> PackCharacter(const Cp932Decoder::Entry& entry) {
  std::array<char, 4> packed{};
  std::copy_n(entry.utf8.begin(), entry.length, packed.begin());
  packed.back() = static_cast<char>(entry.length);
  return packed;
}

// Lead bytes are never ASCII.
std::size_t PairIndex(unsigned lead, unsigned next) { return (lead - kAsciiEnd) << 8 | next; }

// Whether all eight bytes are below 0x80.
bool AllAscii(const char* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return (word & 0x8080808080808080ULL) == 0;
}

}  // namespace

// ASCII bytes stay as they are, as code page 932 keeps them (ICU's table would
// move 0x1A, 0x1C and 0x7F); the rest is read from the generated tables.
Cp932Decoder::Cp932Decoder() : pairCharacters_(std::size_t{256 - kAsciiEnd} * 256) {
  const Entry invalidByte = CharacterEntry(cp932::kNoCharacter, 1);
  leadIndex_.fill(-1);
  for (unsigned byte = kAsciiEnd; byte < leadIndex_.size(); ++byte) {
    const std::uint16_t single = cp932::kSingleBytes[byte - kAsciiEnd];
    if (single != cp932::kLeadByte) {
      singleBytes_[byte] = CharacterEntry(single, 1);
      continue;
    }
    const auto lead = static_cast<std::int16_t>(pairs_.size());
    leadIndex_[byte] = lead;
    incompleteLeads_.push_back(invalidByte);
    std::array<Entry, 256>& pairs = pairs_.emplace_back();
    for (unsigned next = 0; next < pairs.size(); ++next) {
      const std::uint16_t character = cp932::kPairs[static_cast<std::size_t>(lead)][next];
      // The byte after a lead byte it cannot follow is read again on its own.
      pairs[next] = character == cp932::kLeadAlone ? invalidByte : CharacterEntry(character, 2);
      if (character != cp932::kLeadAlone && character != cp932::kInvalidPair) {
        pairCharacters_[PairIndex(byte, next)] = PackCharacter(pairs[next]);
      }
    }
  }
}

// Copies the whole entry, which is cheaper than its exact length; out has room.
char* Cp932Decoder::Append(const Entry& entry, char* out) {
  std::memcpy(out, entry.utf8.data(), entry.utf8.size());
  invalidSeen_ = invalidSeen_ || entry.invalid;
  return out + entry.length;
}

std::string_view Cp932Decoder::Decode(std::string_view bytes, bool endOfText) {
  const std::size_t capacity = (bytes.size() + 1) * kMaxUtf8BytesPerByte + Entry{}.utf8.size();
  if (utf8_.size() < capacity) {
    utf8_.resize(capacity);
  }
  char* const begin = utf8_.data();
  char* end = begin;
  std::size_t i = 0;
  if (pendingLead_ && !bytes.empty()) {
    const Entry& entry = pairs_[leadIndex_[*pendingLead_]][static_cast<unsigned char>(bytes[0])];
    end = Append(entry, end);
    i = entry.consumed - 1U;
    pendingLead_.reset();
  }
  // Locals, because stores through char* could alias the members.
  const std::int16_t* const leadIndex = leadIndex_.data();
  const PackedCharacter* const pairCharacters = pairCharacters_.data();
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < kAsciiEnd) {
      for (; i + sizeof(std::uint64_t) <= bytes.size() && AllAscii(bytes.data() + i);
           i += sizeof(std::uint64_t), end += sizeof(std::uint64_t)) {
        std::memcpy(end, bytes.data() + i, sizeof(std::uint64_t));
      }
      for (; i < bytes.size() && static_cast<unsigned char>(bytes[i]) < kAsciiEnd; ++i) {
        *end++ = bytes[i];
      }
      continue;
    }
    const PackedCharacter* const character =
        i + 1 < bytes.size()
            ? &pairCharacters[PairIndex(byte, static_cast<unsigned char>(bytes[i + 1]))]
            : nullptr;
    if (character != nullptr && character->back() != 0) {
      std::memcpy(end, character->data(), character->size());
      end += character->back();
      i += 2;
    } else if (leadIndex[byte] < 0) {
      end = Append(singleBytes_[byte], end);
      ++i;
    } else if (character != nullptr) {
      const Entry& entry = pairs_[static_cast<std::size_t>(leadIndex[byte])]
                                 [static_cast<unsigned char>(bytes[i + 1])];
      end = Append(entry, end);
      i += entry.consumed;
    } else {
      pendingLead_ = byte;
      ++i;
    }
  }
  if (endOfText && pendingLead_) {
    end = Append(incompleteLeads_[leadIndex_[*pendingLead_]], end);
    pendingLead_.reset();
  }
  return {begin, static_cast<std::size_t>(end - begin)};
}

bool Cp932Decoder::TakeInvalidSeen() {
  const bool seen = invalidSeen_;
  invalidSeen_ = false;
  return seen;
}

}  // namespace mixconv
