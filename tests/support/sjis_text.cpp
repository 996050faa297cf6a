#include "tests/support/sjis_text.h"

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include "charset/cp932.h"
#endif

namespace mixconv::testing {

#ifdef _WIN32
std::string Sjis(std::string_view utf8) {
  constexpr UINT kCp932 = 932;
  const int utf8Length = static_cast<int>(utf8.size());
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(static_cast<std::size_t>(MultiByteToWideChar(
      CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), utf8Length, wide.data(), utf8Length)));
  std::string bytes(wide.size() * 2, '\0');
  BOOL unmappable = FALSE;
  bytes.resize(static_cast<std::size_t>(
      WideCharToMultiByte(kCp932, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                          static_cast<int>(bytes.size()), nullptr, &unmappable)));
  if (unmappable || (bytes.empty() && !utf8.empty())) {
    throw std::invalid_argument("test text has no Shift_JIS form");
  }
  return bytes;
}
#else
std::string Sjis(std::string_view utf8) {
  Cp932Text text = EncodeCp932(utf8, "UTF-8");
  if (!text.ok()) {
    throw std::invalid_argument("test text has no Shift_JIS form: " + text.error);
  }
  return std::move(text.bytes);
}
#endif

}  // namespace mixconv::testing
