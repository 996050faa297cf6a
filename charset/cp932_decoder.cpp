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

// Whether all eight bytes are below 0x80.
bool AllAscii(const char* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return (word & 0x8080808080808080ULL) == 0;
}

}  // namespace

Cp932Decoder::Cp932Decoder() {
  TableBuilder icu;
  leadIndex_.fill(-1);
  asciiIsIdentity_ = true;
  for (unsigned byte = 0; byte < singleBytes_.size(); ++byte) {
    const char single = static_cast<char>(byte);
    singleBytes_[byte] = icu.Decode({&single, 1}, false);
    if (singleBytes_[byte].consumed == 0) {
      leadIndex_[byte] = static_cast<std::int16_t>(pairs_.size());
      std::array<Entry, 256>& pairs = pairs_.emplace_back();
      std::array<PackedCharacter, 256>& characters = pairCharacters_.emplace_back();
      for (unsigned next = 0; next < pairs.size(); ++next) {
        const char pair[] = {single, static_cast<char>(next)};
        pairs[next] = icu.Decode({pair, 2}, false);
        characters[next] = PackCharacter(pairs[next]);
      }
      incompleteLeads_.push_back(icu.Decode({&single, 1}, true));
    } else if (byte < kAsciiEnd) {
      asciiIsIdentity_ = asciiIsIdentity_ && singleBytes_[byte].length == 1 &&
                         singleBytes_[byte].utf8[0] == single;
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
  const bool asciiIsIdentity = asciiIsIdentity_;
  const std::int16_t* const leadIndex = leadIndex_.data();
  const std::array<PackedCharacter, 256>* const pairCharacters = pairCharacters_.data();
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < kAsciiEnd && asciiIsIdentity) {
      for (; i + sizeof(std::uint64_t) <= bytes.size() && AllAscii(bytes.data() + i);
           i += sizeof(std::uint64_t), end += sizeof(std::uint64_t)) {
        std::memcpy(end, bytes.data() + i, sizeof(std::uint64_t));
      }
      for (; i < bytes.size() && static_cast<unsigned char>(bytes[i]) < kAsciiEnd; ++i) {
        *end++ = bytes[i];
      }
    } else if (leadIndex[byte] < 0) {
      end = Append(singleBytes_[byte], end);
      ++i;
    } else if (i + 1 < bytes.size()) {
      const auto lead = static_cast<std::size_t>(leadIndex[byte]);
      const auto next = static_cast<unsigned char>(bytes[i + 1]);
      const PackedCharacter& character = pairCharacters[lead][next];
      if (character.back() != 0) {
        std::memcpy(end, character.data(), character.size());
        end += character.back();
        i += 2;
      } else {
        const Entry& entry = pairs_[lead][next];
        end = Append(entry, end);
        i += entry.consumed;
      }
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
