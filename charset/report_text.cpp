#include "charset/report_text.h"

#include "charset/cp932_decoder.h"
#include "charset/utf8.h"

namespace mixconv {

std::string ReportTextUtf8(std::string_view line) {
  if (IsUtf8(line)) {
    return std::string(line);
  }
  Cp932Decoder decoder;
  return std::string(decoder.Decode(line, true));
}

}  // namespace mixconv
