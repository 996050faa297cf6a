// Lines and values that more than one mail kind writes.
#pragma once

#include <cstdint>
#include <string_view>

#include "header_line.h"
#include "mail_output.h"
#include "mail_text.h"

namespace mixconv {

// Hands a value to consume from valueStart up to where valueOf ends it, following
// the line into the pieces after LineBuffer's when it is longer; the line is used up.
template <typename ValueOf, typename Consume>
void ForEachValuePiece(MailText& text, std::string_view valueStart, ValueOf valueOf,
                       Consume consume) {
  std::string_view piece = valueStart;
  for (;;) {
    const std::string_view value = valueOf(piece);
    consume(value);
    if (value.size() < piece.size() || text.ReadPiece() <= 0) {
      break;
    }
    piece = text.Piece();
  }
  text.SkipRestOfLine();
}

// The rest of the current line from valueStart up to its line end; a CR inside
// the line becomes a space.
void AppendRestOfLine(HeaderLine& line, MailText& text, std::string_view valueStart);

// "@" + the run's member mail domain, which turns a member ID into an address.
void AppendMailDomain(HeaderLine& line);

// fieldName + the user's full name + " <" + the user's e-mail address + ">".
void WriteUserLine(HeaderField field, std::string_view fieldName, MailOutput& out);

// "Date: " + the index time in local time, with seconds.
void WriteIndexDateLine(std::int32_t time, MailOutput& out);

// The mail's remaining text, line by line as it stands.
void CopyRemainingLines(MailText& text, MailOutput& out, bool fromGateway = false);

}  // namespace mixconv
