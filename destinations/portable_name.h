// Text that can be part of a file name on Windows, macOS and Linux alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mixconv {

// utf8 with every character that some file system refuses or that could
// disguise a name (controls, <>:"/\|?*, bidirectional and invisible format
// characters) made a space, runs of spaces made one, no space or dot at either
// end, and at most maxCharacters characters.
std::string PortableNameText(std::string_view utf8, std::size_t maxCharacters);

}  // namespace mixconv
