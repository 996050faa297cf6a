#include "charset/cp932_decoder.h"

#include <unicode/ucnv_cb.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <stdexcept>

namespace mixconv {

namespace {

constexpr UChar kReplacementCharacter = 0xFFFD;
// Each byte yields at most one UTF-16 unit; a few more for a flushed remainder.
constexpr std::size_t kUtf16Slack = 8;

void ReplaceAndNote(const void* context, UConverterToUnicodeArgs* args, const char*, int32_t,
                    UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) {
    return;
  }
  *static_cast<bool*>(const_cast<void*>(context)) = true;
  *status = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kReplacementCharacter, 1, 0, status);
}

void AppendUtf8(const UChar* units, std::size_t length, std::string& out) {
  std::size_t i = 0;
  while (i < length) {
    UChar32 codePoint = 0;
    U16_NEXT_OR_FFFD(units, i, length, codePoint);
    char bytes[U8_MAX_LENGTH];
    std::size_t n = 0;
    U8_APPEND_UNSAFE(bytes, n, codePoint);
    out.append(bytes, n);
  }
}

}  // namespace

Cp932Decoder::Cp932Decoder() {
  UErrorCode status = U_ZERO_ERROR;
  converter_ = OpenCp932Converter(status);
  ucnv_setToUCallBack(converter_.get(), ReplaceAndNote, &invalidSeen_, nullptr, nullptr, &status);
  if (U_FAILURE(status)) {
    throw std::runtime_error(std::string("no code page 932 converter: ") + u_errorName(status));
  }
}

void Cp932Decoder::Decode(std::string_view bytes, bool endOfText, std::string& out) {
  utf16_.resize(bytes.size() + kUtf16Slack);
  const char* source = bytes.data();
  UErrorCode status = U_BUFFER_OVERFLOW_ERROR;
  while (status == U_BUFFER_OVERFLOW_ERROR) {
    status = U_ZERO_ERROR;
    UChar* target = utf16_.data();
    ucnv_toUnicode(converter_.get(), &target, utf16_.data() + utf16_.size(), &source,
                   bytes.data() + bytes.size(), nullptr, endOfText, &status);
    AppendUtf8(utf16_.data(), static_cast<std::size_t>(target - utf16_.data()), out);
  }
  if (endOfText) {
    ucnv_resetToUnicode(converter_.get());
  }
}

bool Cp932Decoder::TakeInvalidSeen() {
  const bool seen = invalidSeen_;
  invalidSeen_ = false;
  return seen;
}

}  // namespace mixconv
