// The charset that command-line arguments arrive in.
#pragma once

#include <string>

namespace mixconv::cli {

// Call once at start-up: takes the user's locale from the environment.
void UseEnvironmentLocale();

// The charset's name, as iconv knows it. The C locale's plain ASCII counts as UTF-8,
// as most tools now do.
std::string LocaleCharset();

}  // namespace mixconv::cli
