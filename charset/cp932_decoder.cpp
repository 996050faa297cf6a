#include "charset/cp932_decoder.h"

#include <unicode/ucnv_cb.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "charset/icu_converter.h"

namespace mixconv {

namespace {

constexpr UChar kReplacementCharacter = 0xFFFD;
constexpr int kUnitsPerEntry = 2;
constexpr unsigned kAsciiEnd = 0x80;
// A byte becomes at most a U+FFFD (three bytes), a byte pair at most two characters.
constexpr std::size_t kMaxUtf8BytesPerByte = 3;

void ReplaceAndNote(const void* context, UConverterToUnicodeArgs* args, const char*, int32_t,
                    UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) {
    return;
  }
  *static_cast<bool*>(const_cast<void*>(context)) = true;
  *status = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kReplacementCharacter, 1, 0, status);
}

class TableBuilder {
 public:
  TableBuilder() {
    UErrorCode status = U_ZERO_ERROR;
    converter_ = OpenCp932Converter(status);
    ucnv_setToUCallBack(converter_.get(), ReplaceAndNote, &invalid_, nullptr, nullptr, &status);
    if (U_FAILURE(status)) {
      throw std::runtime_error(std::string("no code page 932 converter: ") + u_errorName(status));
    }
  }

  // Decodes bytes from a fresh state; consumed leaves out a byte kept pending.
  Cp932Decoder::Entry Decode(std::string_view bytes, bool flush) {
    ucnv_resetToUnicode(converter_.get());
    invalid_ = false;
    std::array<UChar, kUnitsPerEntry * 2> units{};
    UChar* target = units.data();
    const char* source = bytes.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter_.get(), &target, units.data() + units.size(), &source,
                   bytes.data() + bytes.size(), nullptr, flush, &status);
    Cp932Decoder::Entry entry;
    const int32_t pending = ucnv_toUCountPending(converter_.get(), &status);
    entry.consumed = static_cast<std::uint8_t>(bytes.size() - static_cast<std::size_t>(pending));
    entry.invalid = invalid_;
    int32_t length = 0;
    u_strToUTF8WithSub(entry.utf8.data(), entry.utf8.size(), &length, units.data(),
                       static_cast<int32_t>(target - units.data()), kReplacementCharacter, nullptr,
                       &status);
    if (U_FAILURE(status)) {
      throw std::runtime_error(std::string("code page 932 table: ") + u_errorName(status));
    }
    entry.length = static_cast<std::uint8_t>(length);
    return entry;
  }

 private:
  Converter converter_;
  bool invalid_ = false;
};

// The entry packed when it is one valid character of up to three bytes.
std::array<char, 4> PackCharacter(const Cp932Decoder::Entry& entry) {
  std::array<char, 4> packed{};
  UChar32 character = 0;
  int32_t i = 0;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(entry.utf8.data());
  U8_NEXT(bytes, i, entry.length, character);
  if (entry.consumed == 2 && !entry.invalid && i == entry.length && character > 0 &&
      entry.length < packed.size()) {
    std::copy_n(entry.utf8.begin(), entry.length, packed.begin());
    packed.back() = static_cast<char>(entry.length);
  }
  return packed;
}

int CharacterCount(const Cp932Decoder::Entry& entry) {
  int count = 0;
  for (std::size_t i = 0; i < entry.length; ++i) {
    count += (static_cast<unsigned char>(entry.utf8[i]) & 0xC0) != 0x80 ? 1 : 0;
  }
  return count;
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

// ICU's table puts three control characters elsewhere (0x1A as U+001C, for one),
// where code page 932 keeps every ASCII byte as it is, so ASCII never asks ICU.
Cp932Decoder::Cp932Decoder() : pairCharacters_(std::size_t{256 - kAsciiEnd} * 256) {
  TableBuilder icu;
  leadIndex_.fill(-1);
  for (unsigned byte = kAsciiEnd; byte < leadIndex_.size(); ++byte) {
    const char single = static_cast<char>(byte);
    if (icu.Decode({&single, 1}, false).consumed != 0) {
      singleBytes_[byte] = icu.Decode({&single, 1}, true);
      continue;
    }
    leadIndex_[byte] = static_cast<std::int16_t>(pairs_.size());
    const Entry& leadAlone = incompleteLeads_.emplace_back(icu.Decode({&single, 1}, true));
    std::array<Entry, 256>& pairs = pairs_.emplace_back();
    for (unsigned next = 0; next < pairs.size(); ++next) {
      const char pair[] = {single, static_cast<char>(next)};
      pairs[next] = icu.Decode({pair, 2}, false);
      // A byte that cannot follow the lead byte is read again on its own.
      if (pairs[next].consumed == 2 && CharacterCount(pairs[next]) == 2) {
        pairs[next] = leadAlone;
        pairs[next].consumed = 1;
      }
      pairCharacters_[PairIndex(byte, next)] = PackCharacter(pairs[next]);
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
