#include "mail_output.h"

namespace mixconv {

void MailOutput::NoteLastByte(std::string_view bytes) {
  if (!bytes.empty()) {
    atLineStart_ = bytes.back() == '\n';
  }
}

void MailOutput::BeginMail(const MailStart& start) {
  destination_.BeginMessage(start, writer_.Facts());
  writer_.BeginMail(start, destination_);
}

void MailOutput::WriteHeaderLine(const HeaderLineView& line) {
  writer_.WriteHeaderLine(line, destination_);
  NoteLastByte(line.bytes);
}

void MailOutput::WriteCopiedLine(std::string_view piece, bool fromGateway) {
  writer_.WriteCopiedLine({piece, fromGateway}, destination_);
  NoteLastByte(piece);
}

void MailOutput::FinishMail(std::uint32_t number) {
  writer_.EndMail({number, !atLineStart_}, destination_);
  atLineStart_ = true;
  destination_.EndMessage(writer_.Facts());
}

}  // namespace mixconv
