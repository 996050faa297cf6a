// Writes charset/cp932_tables.cpp from ICU's "windows-31j" converter with
// Microsoft's fallbacks, the one source of truth for code page 932.
// Usage: make_cp932_tables FILE          writes the tables to FILE
//        make_cp932_tables --check FILE  exits 1, naming the first line that differs,
//                                        when FILE is not what ICU says today
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/utf16.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "charset/cp932_tables.h"

namespace {

using mixconv::cp932::kInvalidPair;
using mixconv::cp932::kLeadAlone;
using mixconv::cp932::kLeadByte;
using mixconv::cp932::kNoCharacter;

constexpr UChar kReplacementCharacter = 0xFFFD;
constexpr unsigned kAsciiEnd = 0x80;
constexpr UChar32 kLastCodePoint = 0x10FFFF;
constexpr int kNumbersPerRow = 8;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "make_cp932_tables: %s\n", what.c_str());
  std::exit(2);
}

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

void ReplaceAndNote(const void* context, UConverterToUnicodeArgs* args, const char*, int32_t,
                    UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) {
    return;
  }
  *static_cast<bool*>(const_cast<void*>(context)) = true;
  *status = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kReplacementCharacter, 1, 0, status);
}

// What the converter makes of some bytes, from a fresh state.
struct Decoded {
  std::vector<UChar32> characters;
  std::size_t consumed = 0;  // less a byte kept pending for what may follow
  bool invalid = false;
};

class Icu {
 public:
  Icu() {
    UErrorCode status = U_ZERO_ERROR;
    // ICU's "Shift_JIS" is the JIS table; this name is Microsoft's code page 932.
    converter_.reset(ucnv_open("windows-31j", &status));
    if (U_SUCCESS(status)) {
      ucnv_setFallback(converter_.get(), true);
      ucnv_setToUCallBack(converter_.get(), ReplaceAndNote, &invalid_, nullptr, nullptr, &status);
      ucnv_setFromUCallBack(converter_.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                            &status);
    }
    if (U_FAILURE(status)) {
      Fail(std::string("no windows-31j converter: ") + u_errorName(status));
    }
  }

  Decoded Decode(std::string_view bytes, bool flush) {
    ucnv_resetToUnicode(converter_.get());
    invalid_ = false;
    std::array<UChar, 8> units{};
    UChar* target = units.data();
    const char* source = bytes.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter_.get(), &target, units.data() + units.size(), &source,
                   bytes.data() + bytes.size(), nullptr, flush, &status);
    Decoded decoded;
    decoded.consumed =
        bytes.size() - static_cast<std::size_t>(ucnv_toUCountPending(converter_.get(), &status));
    decoded.invalid = invalid_;
    const auto length = static_cast<int32_t>(target - units.data());
    for (int32_t i = 0; i < length;) {
      UChar32 character = 0;
      U16_NEXT(units.data(), i, length, character);
      decoded.characters.push_back(character);
    }
    if (U_FAILURE(status)) {
      Fail(std::string("decoding: ") + u_errorName(status));
    }
    return decoded;
  }

  // The bytes as one number (0xXX or 0xLLTT); nothing where the code point has no form.
  std::optional<std::uint16_t> Encode(UChar32 codePoint) {
    std::array<UChar, 2> units{};
    int32_t length = 0;
    U16_APPEND_UNSAFE(units.data(), length, codePoint);
    std::array<char, 8> bytes{};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t written = ucnv_fromUChars(converter_.get(), bytes.data(), bytes.size(),
                                            units.data(), length, &status);
    if (U_FAILURE(status) || written == 0) {
      return std::nullopt;
    }
    if (written > 2) {
      Fail("a code point of more than two bytes");
    }
    std::uint16_t value = 0;
    for (int32_t i = 0; i < written; ++i) {
      value = static_cast<std::uint16_t>(value << 8 | static_cast<unsigned char>(bytes[i]));
    }
    return value;
  }

 private:
  Converter converter_;
  bool invalid_ = false;
};

// The one character decoded, as a table holds it: U+FFFD stands for "none".
std::uint16_t TableValue(const Decoded& decoded) {
  if (decoded.characters.size() != 1 || decoded.characters[0] > 0xFFFF) {
    Fail("a byte sequence that is not one character of the basic plane");
  }
  const auto character = static_cast<std::uint16_t>(decoded.characters[0]);
  if (decoded.invalid != (character == kNoCharacter)) {
    Fail("U+FFFD mapped as a character");
  }
  return character;
}

class TableWriter {
 public:
  void Line(std::string_view text) { out_ << text << '\n'; }

  template <typename Values>
  void Numbers(const Values& values) {
    int column = 0;
    for (const auto value : values) {
      out_ << (column == 0 ? "    " : " ");
      char number[16];
      std::snprintf(number, sizeof number, sizeof value > 2 ? "0x%08X," : "0x%04X,",
                    static_cast<unsigned>(value));
      out_ << number;
      if (++column == kNumbersPerRow) {
        out_ << '\n';
        column = 0;
      }
    }
    if (column != 0) {
      out_ << '\n';
    }
  }

  std::string Text() const { return out_.str(); }

 private:
  std::ostringstream out_;
};

std::string MakeTables() {
  Icu icu;
  std::vector<std::uint16_t> singleBytes;
  std::vector<unsigned> leads;
  for (unsigned byte = kAsciiEnd; byte <= 0xFF; ++byte) {
    const char single = static_cast<char>(byte);
    if (icu.Decode({&single, 1}, false).consumed != 0) {
      singleBytes.push_back(TableValue(icu.Decode({&single, 1}, true)));
      continue;
    }
    singleBytes.push_back(kLeadByte);
    leads.push_back(byte);
    if (TableValue(icu.Decode({&single, 1}, true)) != kNoCharacter) {
      Fail("a lead byte alone at the end that is a character");
    }
  }
  if (leads.size() != mixconv::cp932::kLeadByteCount) {
    Fail("the number of lead bytes changed");
  }

  TableWriter out;
  out.Line("// Generated by make_cp932_tables from ICU's \"windows-31j\" converter with");
  out.Line("// Microsoft's fallbacks. Do not edit: the test Cp932TablesMatchIcu checks it.");
  out.Line("// clang-format off");
  out.Line("#include \"charset/cp932_tables.h\"");
  out.Line("");
  out.Line("namespace mixconv::cp932 {");
  out.Line("");
  out.Line("const std::array<std::uint16_t, 128> kSingleBytes = {");
  out.Numbers(singleBytes);
  out.Line("};");
  out.Line("");
  out.Line("const std::array<std::array<std::uint16_t, 256>, kLeadByteCount> kPairs = {{");
  for (const unsigned lead : leads) {
    std::vector<std::uint16_t> row;
    for (unsigned next = 0; next <= 0xFF; ++next) {
      const char pair[] = {static_cast<char>(lead), static_cast<char>(next)};
      const Decoded decoded = icu.Decode({pair, 2}, false);
      // Two characters: the byte after the lead byte is a character of its own.
      if (decoded.consumed != 2 || decoded.characters.size() != 1) {
        row.push_back(kLeadAlone);
        continue;
      }
      const std::uint16_t character = TableValue(decoded);
      row.push_back(character == kNoCharacter ? kInvalidPair : character);
    }
    out.Line("  {{");
    out.Numbers(row);
    out.Line("  }},");
  }
  out.Line("}};");
  out.Line("");

  std::vector<std::uint32_t> encodings;
  for (UChar32 codePoint = 0; codePoint <= kLastCodePoint; ++codePoint) {
    if (U_IS_SURROGATE(codePoint)) {
      continue;
    }
    if (const std::optional<std::uint16_t> bytes = icu.Encode(codePoint)) {
      if (codePoint > 0xFFFF) {
        Fail("a code point beyond the basic plane with a form");
      }
      encodings.push_back(static_cast<std::uint32_t>(codePoint) << 16 | *bytes);
    }
  }
  out.Line("namespace {");
  out.Line("");
  out.Line("constexpr std::uint32_t kEncodingTable[] = {");
  out.Numbers(encodings);
  out.Line("};");
  out.Line("");
  out.Line("}  // namespace");
  out.Line("");
  out.Line("const std::span<const std::uint32_t> kEncodings = kEncodingTable;");
  out.Line("");
  out.Line("}  // namespace mixconv::cp932");
  return out.Text();
}

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Check(const char* path, const std::string& tables) {
  std::istringstream expected(tables);
  std::istringstream committed(ReadFile(path));
  std::string expectedLine;
  std::string committedLine;
  for (int number = 1;; ++number) {
    const bool moreExpected = static_cast<bool>(std::getline(expected, expectedLine));
    const bool moreCommitted = static_cast<bool>(std::getline(committed, committedLine));
    if (!moreExpected && !moreCommitted) {
      return 0;
    }
    if (moreExpected != moreCommitted || expectedLine != committedLine) {
      std::fprintf(stderr, "%s:%d: differs from ICU: \"%s\" where ICU gives \"%s\"\n", path, number,
                   committedLine.c_str(), expectedLine.c_str());
      return 1;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc == 3 ? argv[1] : "";
  if (!(argc == 2 || (argc == 3 && mode == "--check"))) {
    std::fputs("usage: make_cp932_tables [--check] FILE\n", stderr);
    return 2;
  }
  const std::string tables = MakeTables();
  if (argc == 3) {
    return Check(argv[2], tables);
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << tables;
  return out.flush() ? 0 : 1;
}
