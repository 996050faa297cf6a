#include "charset/cp932.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/utf16.h>

#include <array>
#include <cstdio>
#include <vector>

#include "charset/icu_converter.h"

namespace mixconv {

namespace {

Converter OpenStrictConverter(const char* name, UErrorCode& status) {
  Converter converter(ucnv_open(name, &status));
  if (U_SUCCESS(status)) {
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
  }
  return converter;
}

std::string CodePointName(UChar32 codePoint) {
  std::array<char, 16> name{};
  std::snprintf(name.data(), name.size(), "U+%04X", static_cast<unsigned>(codePoint));
  return name.data();
}

bool IsControl(UChar32 codePoint) {
  const auto type = static_cast<UCharCategory>(u_charType(codePoint));
  return type == U_CONTROL_CHAR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR;
}

}  // namespace

Converter OpenCp932Converter(UErrorCode& status) {
  // ICU's "Shift_JIS" is ambiguous; this name is Microsoft's code page 932 alone.
  Converter converter(ucnv_open("windows-31j", &status));
  if (U_SUCCESS(status)) {
    ucnv_setFallback(converter.get(), true);
  }
  return converter;
}

Cp932Text EncodeCp932(std::string_view text, const char* sourceCharset) {
  Cp932Text result;
  UErrorCode status = U_ZERO_ERROR;
  const Converter source = OpenStrictConverter(sourceCharset, status);
  if (U_FAILURE(status)) {
    result.error = std::string("unknown charset ") + sourceCharset;
    return result;
  }
  std::vector<UChar> unicode(text.size() + 1);
  const int32_t unicodeLength =
      ucnv_toUChars(source.get(), unicode.data(), static_cast<int32_t>(unicode.size()), text.data(),
                    static_cast<int32_t>(text.size()), &status);
  if (U_FAILURE(status)) {
    result.error = std::string("is not valid ") + sourceCharset + " text";
    return result;
  }

  const Converter cp932 = OpenCp932Converter(status);
  ucnv_setFromUCallBack(cp932.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  std::array<char, 8> encoded{};
  for (int32_t i = 0; i < unicodeLength;) {
    const int32_t start = i;
    UChar32 codePoint = 0;
    U16_NEXT(unicode.data(), i, unicodeLength, codePoint);
    if (IsControl(codePoint)) {
      result.error = "contains a control character (" + CodePointName(codePoint) + ")";
      return result;
    }
    const int32_t length = ucnv_fromUChars(cp932.get(), encoded.data(), encoded.size(),
                                           unicode.data() + start, i - start, &status);
    if (U_FAILURE(status)) {
      result.error = "contains " + CodePointName(codePoint) + ", which has no Shift_JIS form";
      return result;
    }
    result.bytes.append(encoded.data(), static_cast<std::size_t>(length));
  }
  return result;
}

}  // namespace mixconv
