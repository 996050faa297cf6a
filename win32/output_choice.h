// What each entry of the output list converts to.
#pragma once

#include <string>

namespace mixconv::win32 {

// The fields' texts, in UTF-8.
struct ConversionFields {
  std::string indexPath;
  std::string fullName;
  std::string mailAddress;
};

// Converts as entry (the string table ID of the output list's entry) says:
// the readable mbox, the original converter's call exactly, or a folder of
// .eml files or a Maildir in the readable form. The name and the address go
// to the messages in code page 932; one it cannot hold is reported, and
// nothing is converted.
void ConvertAs(long long entry, const ConversionFields& fields);

}  // namespace mixconv::win32
