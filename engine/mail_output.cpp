#include "mail_output.h"

namespace mixconv {

namespace {

constexpr std::string_view kFromLineStart = "From ";

// Also true after earlier escapes (">From "), so that unescaping stays exact.
bool NeedsFromEscape(std::string_view line) {
  const std::size_t quotes = line.find_first_not_of('>');
  return quotes != std::string_view::npos && line.substr(quotes).starts_with(kFromLineStart);
}

}  // namespace

void MailOutput::NoteLastByte(std::string_view bytes) {
  if (!bytes.empty()) {
    atLineStart_ = bytes.back() == '\n';
  }
}

void MailOutput::BeginMail(const MailStart& start) { destination_.BeginMessage(start); }

void MailOutput::WriteHeaderLine(const HeaderLineView& line) {
  writer_.WriteHeaderLine(line, destination_);
  NoteLastByte(line.bytes);
}

void MailOutput::WriteCopiedLine(std::string_view piece, bool fromGateway) {
  writer_.WriteCopiedLine({piece, atLineStart_ && NeedsFromEscape(piece), fromGateway}, destination_);
  NoteLastByte(piece);
}

void MailOutput::FinishMail(std::uint32_t number) {
  writer_.EndMail({number, !atLineStart_}, destination_);
  atLineStart_ = true;
  destination_.EndMessage();
}

}  // namespace mixconv
