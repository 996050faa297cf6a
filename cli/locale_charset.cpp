#include "cli/locale_charset.h"

#include <clocale>
#include <string_view>

#ifndef _WIN32
#include <langinfo.h>
#endif

namespace mixconv::cli {

void UseEnvironmentLocale() { std::setlocale(LC_ALL, ""); }

std::string LocaleCharset() {
#ifdef _WIN32
  // CommandLine reads the arguments as UTF-16 and hands them on in UTF-8.
  return "UTF-8";
#else
  const std::string_view codeset = nl_langinfo(CODESET);
  if (codeset.empty() || codeset == "ANSI_X3.4-1968" || codeset == "US-ASCII") {
    return "UTF-8";
  }
  return std::string(codeset);
#endif
}

}  // namespace mixconv::cli
