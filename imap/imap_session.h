// Commands over a logged-in connection, one at a time: each is tagged, sent,
// and answered before the next.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "imap/imap_connection.h"

namespace mixconv::imap {

// What the server offers that changes how messages are sent.
struct ServerAbilities {
  bool literalPlus = false;   // no literal waits for the server's go-ahead
  bool literalMinus = false;  // literals up to kLiteralMinusLimit bytes do not wait
  std::optional<std::uint64_t> appendLimit;
};

inline constexpr std::size_t kLiteralMinusLimit = 4096;

struct CommandReply {
  bool answered = false;  // a tagged reply came; false when the connection was lost
  bool ok = false;
  std::string text;       // the reply's words after OK, NO or BAD
};

class ImapSession {
 public:
  explicit ImapSession(ImapConnection& connection) : connection_(connection) {}

  std::string NextTag();
  // Sends the command with a tag of its own and waits for its reply; the
  // server's data responses meanwhile go to onData.
  CommandReply Run(std::string_view command,
                   const std::function<void(const ImapResponse&)>& onData = {});
  ServerAbilities ReadAbilities();
  // The character between a folder's levels on this server; none when it has
  // no levels.
  std::optional<char> ReadDelimiter();
  ImapConnection& Connection() { return connection_; }

 private:
  ImapConnection& connection_;
  std::uint32_t lastTag_ = 0;
};

// An IMAP quoted string: text in double quotes, '\' and '"' escaped.
std::string Quoted(std::string_view text);

// The folder as the server names it: users write "/" between levels, as most
// servers do; a server that takes another character gets that one.
std::string FolderOnServer(std::string_view folder, std::optional<char> delimiter);

}  // namespace mixconv::imap
