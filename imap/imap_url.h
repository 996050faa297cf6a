// Where an upload goes, as the user writes it: imaps://USER@HOST[:PORT]/FOLDER.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mixconv::imap {

struct ImapAddress {
  bool implicitTls = true;  // imaps://; imap:// goes over STARTTLS
  std::string user;
  std::string host;         // an IPv6 address without its brackets
  std::uint16_t port = 0;   // 0: the scheme's own
  std::string folder;       // UTF-8
};

struct ParsedImapUrl {
  std::optional<ImapAddress> address;
  std::string error;  // why the text is no such address
};

// USER and FOLDER may be percent-encoded; USER may also hold a bare "@" (a
// mail address), as only the last one ends it.
ParsedImapUrl ParseImapUrl(std::string_view url);

// localhost, 127.0.0.0/8 or ::1: the only hosts a connection without TLS may go to.
bool IsLoopbackHost(std::string_view host);

// The server's address for the connection: scheme, host and port only.
std::string ServerUrl(const ImapAddress& address);

// HOST or HOST:PORT, as lines name the server.
std::string ServerName(const ImapAddress& address);

}  // namespace mixconv::imap
