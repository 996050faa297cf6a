#include "imap/imap_connection.h"

#include <curl/curl.h>
#include <poll.h>

#include <array>
#include <cstring>

namespace mixconv::imap {

namespace {

constexpr long kConnectSeconds = 30;
// A server that says nothing for this long while a command waits is gone.
constexpr int kSilenceMilliseconds = 120 * 1000;
constexpr std::size_t kReadSize = 64 * 1024;
constexpr std::string_view kProtocols = "imap,imaps";

CURL* Handle(void* curl) { return static_cast<CURL*>(curl); }

ConnectProblem ProblemOf(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      return ConnectProblem::HostNotFound;
    case CURLE_COULDNT_CONNECT:
      return ConnectProblem::NoConnection;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
      return ConnectProblem::Certificate;
    case CURLE_USE_SSL_FAILED:
      return ConnectProblem::NoStartTls;
    case CURLE_LOGIN_DENIED:
      return ConnectProblem::LoginRefused;
    case CURLE_OPERATION_TIMEDOUT:
      return ConnectProblem::NoAnswer;
    default:
      return ConnectProblem::Other;
  }
}

}  // namespace

ImapConnection::ImapConnection() : curl_(curl_easy_init()) {}

ImapConnection::~ImapConnection() { curl_easy_cleanup(Handle(curl_)); }

std::optional<ConnectFailure> ImapConnection::Open(const ImapAccount& account,
                                                   std::string_view password) {
  CURL* curl = Handle(curl_);
  if (curl == nullptr) {
    return ConnectFailure{ConnectProblem::Other, "libcurl could not start"};
  }
  const ImapAddress& address = account.address;
  std::array<char, CURL_ERROR_SIZE> error{};
  std::string secret(password);
  curl_easy_setopt(curl, CURLOPT_URL, ServerUrl(address).c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, kProtocols.data());
  curl_easy_setopt(curl, CURLOPT_USERNAME, address.user.c_str());
  curl_easy_setopt(curl, CURLOPT_PASSWORD, secret.c_str());
  curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error.data());
  // Without TLS the password would cross the network readable: only a
  // connection that never leaves this machine may do without.
  if (!address.implicitTls) {
    curl_easy_setopt(curl, CURLOPT_USE_SSL,
                     IsLoopbackHost(address.host) ? CURLUSESSL_TRY : CURLUSESSL_ALL);
  }
  if (!account.caFile.empty()) {
    curl_easy_setopt(curl, CURLOPT_CAINFO, account.caFile.c_str());
  }
  const CURLcode code = curl_easy_perform(curl);
  explicit_bzero(secret.data(), secret.size());
  curl_easy_setopt(curl, CURLOPT_PASSWORD, "");
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
  if (code != CURLE_OK) {
    return ConnectFailure{ProblemOf(code),
                          error[0] != '\0' ? error.data() : curl_easy_strerror(code)};
  }
  curl_socket_t socket = CURL_SOCKET_BAD;
  if (curl_easy_getinfo(curl, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK ||
      socket == CURL_SOCKET_BAD) {
    return ConnectFailure{ConnectProblem::Other, "libcurl gave no connection"};
  }
  socket_ = socket;
  return std::nullopt;
}

void ImapConnection::Queue(std::string_view bytes) { queued_.append(bytes); }

bool ImapConnection::Lost(std::string why) {
  if (lost_.empty()) {
    lost_ = std::move(why);
  }
  return false;
}

bool ImapConnection::SendSome(bool& moved) {
  for (;;) {
    if (sent_ == sending_.size()) {
      sending_.clear();
      sent_ = 0;
      if (queued_.empty()) {
        return true;
      }
      sending_.swap(queued_);
    }
    std::size_t count = 0;
    const CURLcode code =
        curl_easy_send(Handle(curl_), sending_.data() + sent_, sending_.size() - sent_, &count);
    if (code == CURLE_AGAIN) {
      return true;
    }
    if (code != CURLE_OK) {
      return Lost(curl_easy_strerror(code));
    }
    sent_ += count;
    moved = moved || count > 0;
  }
}

bool ImapConnection::ReadSome(bool& moved) {
  std::array<char, kReadSize> buffer;
  // TLS may hold decrypted bytes that poll cannot see: read until none are left.
  for (;;) {
    std::size_t count = 0;
    const CURLcode code = curl_easy_recv(Handle(curl_), buffer.data(), buffer.size(), &count);
    if (code == CURLE_AGAIN) {
      return true;
    }
    if (code != CURLE_OK) {
      return Lost(curl_easy_strerror(code));
    }
    if (count == 0) {
      return Lost("the server closed the connection");
    }
    reader_.Feed(std::string_view(buffer.data(), count));
    moved = true;
  }
}

bool ImapConnection::Exchange(bool wait) {
  if (!lost_.empty() || socket_ < 0) {
    return Lost("not connected");
  }
  bool moved = false;
  if (!SendSome(moved) || !ReadSome(moved)) {
    return false;
  }
  if (moved || !wait) {
    return true;
  }
  pollfd watched{socket_, static_cast<short>(POLLIN | (QueuedBytes() > 0 ? POLLOUT : 0)), 0};
  const int ready = poll(&watched, 1, kSilenceMilliseconds);
  if (ready == 0) {
    return Lost("the server did not answer for " + std::to_string(kSilenceMilliseconds / 1000) +
                " s");
  }
  if (ready < 0 && errno != EINTR) {
    return Lost(std::strerror(errno));
  }
  return SendSome(moved) && ReadSome(moved);
}

std::optional<ImapResponse> ImapConnection::NextResponse() {
  for (;;) {
    if (std::optional<ImapResponse> response = reader_.Next()) {
      return response;
    }
    if (!Exchange()) {
      return std::nullopt;
    }
  }
}

}  // namespace mixconv::imap
