// Log files copied from old FAT media often have names in another case than
// the program asks for (log.mix, log.txt); this finds them.
#pragma once

#include <optional>
#include <string>

namespace mixconv {

// path itself when it exists; else the one file in its directory whose name
// differs from path's only in ASCII case; else path, when there is none. When
// several files qualify, returns nothing after reporting them.
std::optional<std::string> FindLogFile(const std::string& path);

}  // namespace mixconv
