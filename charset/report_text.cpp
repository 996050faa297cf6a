#include "charset/report_text.h"

#include "charset/cp932_decoder.h"
#include "charset/utf8.h"

namespace mixconv {

namespace {

bool IsUtf8(std::string_view text) {
  while (!text.empty()) {
    if (!TakeCodePoint(text)) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string ReportTextUtf8(std::string_view line) {
  if (IsUtf8(line)) {
    return std::string(line);
  }
  Cp932Decoder decoder;
  return std::string(decoder.Decode(line, true));
}

}  // namespace mixconv
