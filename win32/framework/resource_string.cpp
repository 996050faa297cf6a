#include "win32/framework/resource_string.h"

namespace mixconv::win32 {

std::wstring LoadResourceString(UINT id) {
  // With no buffer, LoadStringW points at the text in the loaded resources.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

}  // namespace mixconv::win32
