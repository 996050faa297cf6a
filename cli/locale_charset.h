// The charset that command-line arguments arrive in.
#pragma once

#include <string>

namespace mixconv::cli {

// Call once at start-up: takes the user's locale from the environment.
void UseEnvironmentLocale();

// An ICU charset name. The C locale's plain ASCII counts as UTF-8, as most tools now do.
std::string LocaleCharset();

}  // namespace mixconv::cli
