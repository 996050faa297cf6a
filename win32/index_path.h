// Which mail index a file of a mail log belongs to.
#pragma once

#include <string>

namespace mixconv::win32 {

// NAME.MIX for NAME.MIX itself or for its text file NAME.TXT (in the letter
// case of the file's extension); empty for any other file.
std::wstring IndexPathFor(const std::wstring& path);

}  // namespace mixconv::win32
