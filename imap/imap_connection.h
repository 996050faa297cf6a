// One connection to an IMAP server. libcurl connects, does TLS, checks the
// certificate and the host name, and logs in; the commands after that are
// the program's own, sent and read over the same connection.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "imap/imap_response.h"
#include "imap/imap_url.h"

namespace mixconv::imap {

struct ImapAccount {
  ImapAddress address;
  std::string caFile;  // empty: the system's certificate authorities
};

enum class ConnectProblem {
  HostNotFound,
  NoConnection,
  Certificate,
  NoStartTls,
  LoginRefused,
  NoAnswer,
  Other,
};

struct ConnectFailure {
  ConnectProblem problem = ConnectProblem::Other;
  std::string detail;  // libcurl's words
};

class ImapConnection {
 public:
  ImapConnection();
  ~ImapConnection();
  ImapConnection(const ImapConnection&) = delete;
  ImapConnection& operator=(const ImapConnection&) = delete;

  // Connects and logs in; the failure when it could not.
  std::optional<ConnectFailure> Open(const ImapAccount& account, std::string_view password);
  // Bytes to send; they go out as the connection takes them.
  void Queue(std::string_view bytes);
  std::size_t QueuedBytes() const { return queued_.size() + sending_.size() - sent_; }
  // The next whole response the server sent, if it has come.
  std::optional<ImapResponse> TakeResponse() { return reader_.Next(); }
  // Sends what it can of the queue and reads what has come; when neither
  // moves and wait is set, waits until one does. False once the connection is lost.
  bool Exchange(bool wait = true);
  // Exchanges until the server's next whole response has come.
  std::optional<ImapResponse> NextResponse();
  // Why the connection was lost, once Exchange has said so.
  const std::string& LostBecause() const { return lost_; }

 private:
  // Each false on a lost connection; moved tells whether any byte went or came.
  bool SendSome(bool& moved);
  bool ReadSome(bool& moved);
  bool Lost(std::string why);

  void* curl_ = nullptr;
  int socket_ = -1;
  // The bytes being sent stay where they are until all have gone: TLS
  // retries a write with the same buffer.
  std::string sending_;
  std::size_t sent_ = 0;
  std::string queued_;
  ResponseReader reader_;
  std::string lost_;
};

}  // namespace mixconv::imap
