#include "win32/index_path.h"

#include <windows.h>

#include <string_view>

namespace mixconv::win32 {

namespace {

constexpr std::wstring_view kIndexExtension = L"mix";
constexpr std::wstring_view kIndexExtensionInCapitals = L"MIX";
constexpr std::wstring_view kTextExtension = L"txt";

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring IndexPathFor(const std::wstring& path) {
  const std::size_t dot = path.find_last_of(L'.');
  const std::size_t separator = path.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) {
    return {};
  }
  const std::wstring_view extension = std::wstring_view(path).substr(dot + 1);
  if (SameIgnoringCase(extension, kIndexExtension)) {
    return path;
  }
  if (!SameIgnoringCase(extension, kTextExtension)) {
    return {};
  }
  // A text file named in lower case has its index named so too.
  return path.substr(0, dot + 1) +
         std::wstring(extension == kTextExtension ? kIndexExtension : kIndexExtensionInCapitals);
}

}  // namespace mixconv::win32
