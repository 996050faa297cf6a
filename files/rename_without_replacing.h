// Moving a file or folder to a name that nothing has yet, on POSIX systems.
#pragma once

#include <string>

namespace mixconv::files {

// Renames from to to unless something (a link included) is at to, in one step
// where the system can; errno is EEXIST when something is there.
bool RenameWithoutReplacing(const std::string& from, const std::string& to);

}  // namespace mixconv::files
