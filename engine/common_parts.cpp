#include "common_parts.h"

#include "line_text.h"
#include "run_context.h"

namespace mixconv {

namespace {

constexpr std::string_view UpToLineFeed(std::string_view piece) {
  return piece.substr(0, piece.find('\n'));
}

}  // namespace

void AppendRestOfLine(HeaderLine& line, MailText& text, std::string_view valueStart) {
  // A CR that ends a piece is the line's end only if the LF starts the next one.
  bool pendingCr = false;
  ForEachValuePiece(text, valueStart, UpToLineFeed, [&](std::string_view value) {
    if (pendingCr && !value.empty()) {
      line.Append(" ");
    }
    pendingCr = value.ends_with('\r');
    if (pendingCr) {
      value.remove_suffix(1);
    }
    // A mail reader would end the header line at a lone CR, and lose the rest.
    for (std::size_t cr = value.find('\r'); cr != std::string_view::npos; cr = value.find('\r')) {
      line.Append(value.substr(0, cr)).Append(" ");
      value.remove_prefix(cr + 1);
    }
    line.Append(value);
    line.PassOnIfLong();
  });
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
