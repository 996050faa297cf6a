// Absence notices (kind 4): the title line starts with the sender's member ID.
#include "common_parts.h"
#include "convert_one_mail.h"
#include "header_line.h"
#include "line_text.h"
#include "sjis.h"

namespace mixconv {

namespace {

constexpr std::size_t kMemberIdLength = 8;

}  // namespace

int ConvertAbsenceNotice(const MailIndexEntry& entry, MailText& text, MailOutput& out) {
  {
    HeaderLine line(HeaderField::Subject, out);
    line.Append("Subject: ").Append(kAbsenceNoticeSubject).Finish();
  }
  {
    HeaderLine line(HeaderField::From, out);
    line.Append("From: ").BeginAddress().AppendLowerCase(
        UpToNul(UpToLineEnd(text.Piece())).substr(0, kMemberIdLength));
    AppendMailDomain(line);
    line.EndAddress().Finish();
  }
  text.SkipRestOfLine();
  WriteUserLine(HeaderField::To, "To: ", out);
  WriteIndexDateLine(entry.time, out);

  CopyRemainingLines(text, out);
  return 0;
}

}  // namespace mixconv
