// Shift_JIS bytes for log texts written in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace mixconv::log_builder {

std::string Sjis(std::string_view utf8);

}  // namespace mixconv::log_builder
