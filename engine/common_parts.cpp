#include "common_parts.h"

#include "line_text.h"
#include "run_context.h"

namespace mixconv {

void AppendRestOfLine(HeaderLine& line, MailText& text, std::string_view valueStart) {
  ForEachValuePiece(text, valueStart, UpToLineEnd,
                    [&line](std::string_view value) { line.Append(value); });
}

void AppendMailDomain(HeaderLine& line) { line.Append("@").Append(CurrentRun.mailDomain); }

void WriteUserLine(HeaderField field, std::string_view fieldName, MailOutput& out) {
  HeaderLine line(field, out);
  line.Append(fieldName).AppendDisplayName(CurrentRun.fullName).Append(" <");
  line.BeginAddress().Append(CurrentRun.mailAddress).EndAddress().Append(">").Finish();
}

void WriteIndexDateLine(std::int32_t time, MailOutput& out) {
  HeaderLine line(HeaderField::Date, out);
  line.Append("Date: ").AppendIndexDate(time).Finish();
}

void CopyRemainingLines(MailText& text, MailOutput& out, bool fromGateway) {
  while (text.ReadPiece() > 0) {
    out.WriteCopiedLine(text.Piece(), fromGateway);
  }
}

}  // namespace mixconv
