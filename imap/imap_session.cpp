#include "imap/imap_session.h"

#include <charconv>

#include "engine/line_text.h"

namespace mixconv::imap {

namespace {

constexpr std::string_view kTagPrefix = "m";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kOk = "OK";
constexpr std::string_view kCapabilityCommand = "CAPABILITY";
constexpr std::string_view kCapabilityData = "CAPABILITY";
constexpr std::string_view kLiteralPlus = "LITERAL+";
constexpr std::string_view kLiteralMinus = "LITERAL-";
constexpr std::string_view kAppendLimit = "APPENDLIMIT=";
constexpr std::string_view kListRoot = "LIST \"\" \"\"";
constexpr std::string_view kListData = "LIST";
constexpr char kLevelSeparator = '/';

void NoteAbility(std::string_view word, ServerAbilities& abilities) {
  if (EqualIgnoringAsciiCase(word, kLiteralPlus)) {
    abilities.literalPlus = true;
  } else if (EqualIgnoringAsciiCase(word, kLiteralMinus)) {
    abilities.literalMinus = true;
  } else if (EqualIgnoringAsciiCase(word.substr(0, kAppendLimit.size()), kAppendLimit)) {
    const std::string_view digits = word.substr(kAppendLimit.size());
    std::uint64_t limit = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), limit);
    if (error == std::errc() && end == digits.data() + digits.size()) {
      abilities.appendLimit = limit;
    }
  }
}

}  // namespace

std::string ImapSession::NextTag() { return std::string(kTagPrefix) + std::to_string(++lastTag_); }

CommandReply ImapSession::Run(std::string_view command,
                              const std::function<void(const ImapResponse&)>& onData) {
  const std::string tag = NextTag();
  connection_.Queue(tag + " " + std::string(command) + std::string(kLineEnd));
  while (const std::optional<ImapResponse> response = connection_.NextResponse()) {
    if (response->Tag() == tag) {
      return {true, response->Word() == kOk, std::string(response->Rest())};
    }
    if (onData) {
      onData(*response);
    }
  }
  return {};
}

ServerAbilities ImapSession::ReadAbilities() {
  ServerAbilities abilities;
  Run(kCapabilityCommand, [&](const ImapResponse& response) {
    if (response.Tag() != "*" || !EqualIgnoringAsciiCase(response.Word(), kCapabilityData)) {
      return;
    }
    std::string_view words = response.Rest();
    while (!words.empty()) {
      const std::size_t space = words.find(' ');
      NoteAbility(words.substr(0, space), abilities);
      words.remove_prefix(space == std::string_view::npos ? words.size() : space + 1);
    }
  });
  return abilities;
}

std::optional<char> ImapSession::ReadDelimiter() {
  std::optional<char> delimiter;
  Run(kListRoot, [&](const ImapResponse& response) {
    if (response.Tag() != "*" || !EqualIgnoringAsciiCase(response.Word(), kListData)) {
      return;
    }
    // (FLAGS) "D" "" or (FLAGS) NIL "", where D may be escaped: "\\".
    const std::string_view rest = response.Rest();
    const std::size_t flagsEnd = rest.find(") ");
    const std::size_t quote = flagsEnd == std::string_view::npos ? flagsEnd : flagsEnd + 2;
    if (quote + 2 >= rest.size() || rest[quote] != '"') {
      return;
    }
    const bool escaped = rest[quote + 1] == '\\';
    delimiter = rest[quote + (escaped ? 2 : 1)];
  });
  return delimiter;
}

std::string FolderOnServer(std::string_view folder, std::optional<char> delimiter) {
  std::string named(folder);
  if (delimiter) {
    for (char& c : named) {
      c = c == kLevelSeparator ? *delimiter : c;
    }
  }
  return named;
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') {
      quoted += '\\';
    }
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

}  // namespace mixconv::imap
