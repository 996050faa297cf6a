// Texts of the program's string table.
#pragma once

#include <windows.h>

#include <string>

namespace mixconv::win32 {

// Empty when the table has no such string.
std::wstring LoadResourceString(UINT id);

}  // namespace mixconv::win32
