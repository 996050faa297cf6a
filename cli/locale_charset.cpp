#include "cli/locale_charset.h"

#include <clocale>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#endif

namespace mixconv::cli {

void UseEnvironmentLocale() { std::setlocale(LC_ALL, ""); }

std::string LocaleCharset() {
#ifdef _WIN32
  return "cp" + std::to_string(GetACP());
#else
  const std::string_view codeset = nl_langinfo(CODESET);
  if (codeset.empty() || codeset == "ANSI_X3.4-1968" || codeset == "US-ASCII") {
    return "UTF-8";
  }
  return std::string(codeset);
#endif
}

}  // namespace mixconv::cli
