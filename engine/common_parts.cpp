#include "common_parts.h"

#include "line_text.h"
#include "mail_writer.h"
#include "run_context.h"

namespace mixconv {

void AppendRestOfLine(HeaderLine& line, MailText& text, std::string_view valueStart) {
  ForEachValuePiece(text, valueStart, UpToLineEnd,
                    [&line](std::string_view value) { line.Append(value); });
}

void AppendMailDomain(HeaderLine& line) { line.Append("@").Append(CurrentRun.mailDomain); }

void WriteUserLine(std::string_view field, MailboxFile& mailbox) {
  HeaderLine line(mailbox);
  line.Append(field).Append(CurrentRun.fullName).Append(" <").Append(CurrentRun.mailAddress);
  line.Append(">").Finish();
}

void WriteIndexDateLine(std::int32_t time, MailboxFile& mailbox) {
  HeaderLine line(mailbox);
  line.Append("Date: ").AppendIndexDate(time).Finish();
}

void CopyRemainingLines(MailText& text, MailboxFile& mailbox) {
  while (text.ReadPiece() > 0) {
    const std::string_view piece = text.Piece();
    WriteCopiedLine(piece.data(), piece.size(), mailbox);
  }
}

}  // namespace mixconv
