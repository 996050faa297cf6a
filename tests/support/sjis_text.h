// Shift_JIS bytes for test texts written in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace mixconv::testing {

std::string Sjis(std::string_view utf8);

}  // namespace mixconv::testing
