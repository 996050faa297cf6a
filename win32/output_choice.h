// What each entry of the output list converts to.
#pragma once

#include "job/user_conversion.h"

namespace mixconv::win32 {

using ConversionFields = UserFields;

// Converts as entry (the string table ID of the output list's entry) says.
void ConvertAs(long long entry, const ConversionFields& fields);

}  // namespace mixconv::win32
