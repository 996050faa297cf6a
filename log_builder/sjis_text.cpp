#include "log_builder/sjis_text.h"

#include <stdexcept>

#include "charset/cp932.h"

namespace mixconv::log_builder {

std::string Sjis(std::string_view utf8) {
  Cp932Text text = EncodeCp932(utf8, "UTF-8");
  if (!text.ok()) {
    throw std::invalid_argument("log text has no Shift_JIS form: " + text.error);
  }
  return std::move(text.bytes);
}

}  // namespace mixconv::log_builder
