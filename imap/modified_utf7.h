// IMAP's modified UTF-7, in which folder names other than plain ASCII go over
// the wire.
#pragma once

#include <string>
#include <string_view>

namespace mixconv::imap {

// utf8 must be well-formed UTF-8.
std::string ModifiedUtf7(std::string_view utf8);

}  // namespace mixconv::imap
