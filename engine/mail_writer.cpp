#include "mail_writer.h"

#include <string_view>

namespace mixconv {

namespace {

constexpr std::string_view kFromLineStart = "From ";
constexpr std::string_view kLineEnd = "\r\n";

bool NeedsFromQuote(std::string_view line) {
  const std::size_t quotes = line.find_first_not_of('>');
  return quotes != std::string_view::npos && line.substr(quotes).starts_with(kFromLineStart);
}

}  // namespace

void WriteMailBlock(const char* bytes, std::size_t n, MailboxFile& mailbox) {
  mailbox.Write(bytes, n);
}

void WriteCopiedLine(const char* bytes, std::size_t n, MailboxFile& mailbox) {
  if (mailbox.AtLineStart() && NeedsFromQuote({bytes, n})) {
    WriteMailBlock(">", 1, mailbox);
  }
  WriteMailBlock(bytes, n, mailbox);
}

void FinishMail(MailboxFile& mailbox) {
  if (!mailbox.AtLineStart()) {
    WriteMailBlock(kLineEnd.data(), kLineEnd.size(), mailbox);
  }
  mailbox.EndMail();
}

}  // namespace mixconv
