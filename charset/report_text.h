// The lines the engine reports, as text for a window or a page.
#pragma once

#include <string>
#include <string_view>

namespace mixconv {

// line in UTF-8. Lines are UTF-8 as a rule (the messages are ASCII, and paths
// are UTF-8 on Windows and in a UTF-8 locale); a line that is not, such as one
// naming a path from old Japanese media, is read as code page 932, and bytes
// that are neither become U+FFFD.
std::string ReportTextUtf8(std::string_view line);

}  // namespace mixconv
