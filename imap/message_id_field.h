// A message's Message-ID, which tells whether a mail is in a folder already.
// Read the same way from the messages sent and from the header fields the server
// returns, so that both compare.
#pragma once

#include <string>
#include <string_view>

namespace mixconv::imap {

// From the header at the start of message (CR LF or LF line ends): the
// "<...>" of the first Message-ID field, unfolded, else its value without
// surrounding white space; empty when the header has none.
std::string MessageIdOf(std::string_view message);

}  // namespace mixconv::imap
