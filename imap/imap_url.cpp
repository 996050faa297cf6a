#include "imap/imap_url.h"

#include <arpa/inet.h>

#include <charconv>

#include "charset/utf8.h"
#include "engine/line_text.h"

namespace mixconv::imap {

namespace {

constexpr std::string_view kImapsScheme = "imaps://";
constexpr std::string_view kImapScheme = "imap://";
constexpr std::string_view kLoopbackName = "localhost";
constexpr std::uint32_t kLoopbackIpv4Network = 127;
constexpr int kIpv4NetworkShift = 24;
constexpr int kHexBase = 16;
constexpr char kFirstPrintable = 0x20;
constexpr char kDelete = 0x7f;

std::optional<int> HexDigit(char c) {
  int value = 0;
  const auto [end, error] = std::from_chars(&c, &c + 1, value, kHexBase);
  return error == std::errc() ? std::optional<int>(value) : std::nullopt;
}

std::optional<std::string> PercentDecoded(std::string_view text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    const std::optional<int> high = i + 2 < text.size() ? HexDigit(text[i + 1]) : std::nullopt;
    const std::optional<int> low = high ? HexDigit(text[i + 2]) : std::nullopt;
    if (!low) {
      return std::nullopt;
    }
    decoded += static_cast<char>(*high * kHexBase + *low);
    i += 2;
  }
  return decoded;
}

bool HasControlCharacter(std::string_view text) {
  for (const char c : text) {
    if ((c >= 0 && c < kFirstPrintable) || c == kDelete) {
      return true;
    }
  }
  return false;
}

ParsedImapUrl Refused(std::string error) { return {std::nullopt, std::move(error)}; }

}  // namespace

ParsedImapUrl ParseImapUrl(std::string_view url) {
  ImapAddress address;
  if (EqualIgnoringAsciiCase(url.substr(0, kImapsScheme.size()), kImapsScheme)) {
    url.remove_prefix(kImapsScheme.size());
  } else if (EqualIgnoringAsciiCase(url.substr(0, kImapScheme.size()), kImapScheme)) {
    address.implicitTls = false;
    url.remove_prefix(kImapScheme.size());
  } else {
    return Refused("the address must start with imaps:// or imap://");
  }
  const std::size_t slash = url.find('/');
  std::string_view authority = url.substr(0, slash);
  const std::string_view path = slash == std::string_view::npos ? "" : url.substr(slash + 1);
  const std::size_t at = authority.rfind('@');
  if (at == std::string_view::npos || at == 0) {
    return Refused("the address names no user (imaps://USER@HOST/FOLDER)");
  }
  std::optional<std::string> user = PercentDecoded(authority.substr(0, at));
  authority.remove_prefix(at + 1);
  std::string_view portText;
  if (authority.starts_with('[')) {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos) {
      return Refused("the host's address lacks its closing ']'");
    }
    address.host = authority.substr(1, close - 1);
    authority.remove_prefix(close + 1);
    if (!authority.empty() && !authority.starts_with(':')) {
      return Refused("the host's address is followed by more than a port");
    }
    portText = authority.empty() ? "" : authority.substr(1);
  } else {
    const std::size_t colon = authority.find(':');
    address.host = authority.substr(0, colon);
    portText = colon == std::string_view::npos ? "" : authority.substr(colon + 1);
  }
  if (address.host.empty()) {
    return Refused("the address names no host");
  }
  if (!portText.empty()) {
    unsigned port = 0;
    const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (error != std::errc() || end != portText.data() + portText.size() || port == 0 ||
        port > UINT16_MAX) {
      return Refused("the port is not a number from 1 to 65535");
    }
    address.port = static_cast<std::uint16_t>(port);
  }
  std::optional<std::string> folder = PercentDecoded(path);
  if (!user || !folder) {
    return Refused("a '%' in the address is not followed by two hexadecimal digits");
  }
  if (folder->empty()) {
    return Refused("the address names no folder (imaps://USER@HOST/FOLDER)");
  }
  if (!IsUtf8(*folder) || HasControlCharacter(*folder) || HasControlCharacter(*user)) {
    return Refused("the user and the folder must be UTF-8 text without control characters");
  }
  address.user = std::move(*user);
  address.folder = std::move(*folder);
  return {std::move(address), {}};
}

bool IsLoopbackHost(std::string_view host) {
  const std::string text(host);
  in_addr ipv4{};
  in6_addr ipv6{};
  return EqualIgnoringAsciiCase(host, kLoopbackName) ||
         (inet_pton(AF_INET, text.c_str(), &ipv4) == 1 &&
          ntohl(ipv4.s_addr) >> kIpv4NetworkShift == kLoopbackIpv4Network) ||
         (inet_pton(AF_INET6, text.c_str(), &ipv6) == 1 && IN6_IS_ADDR_LOOPBACK(&ipv6));
}

std::string ServerName(const ImapAddress& address) {
  const bool ipv6 = address.host.find(':') != std::string::npos;
  std::string name = ipv6 ? "[" + address.host + "]" : address.host;
  if (address.port != 0) {
    name += ":" + std::to_string(address.port);
  }
  return name;
}

std::string ServerUrl(const ImapAddress& address) {
  return std::string(address.implicitTls ? kImapsScheme : kImapScheme) + ServerName(address) + "/";
}

}  // namespace mixconv::imap
