// UTF-16, what the W functions take, and UTF-8, what the engine and its lines use.
#pragma once

#include <string>
#include <string_view>

namespace mixconv::win32 {

std::wstring ToUtf16(std::string_view utf8);
std::string ToUtf8(std::wstring_view utf16);

}  // namespace mixconv::win32
