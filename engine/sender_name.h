// The sender name field at the start of a mail's title line.
#pragma once

#include <string_view>

namespace mixconv {

// Takes the field from the title line's own bytes (after the undelivered marker
// for an undelivered-mail notice), less trailing spaces and ideographic spaces.
// The result lives in SenderName until the next call.
std::string_view TakeSenderName(std::string_view titleLine, bool undeliveredNotice);

}  // namespace mixconv
