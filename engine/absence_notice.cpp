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

int ConvertAbsenceNotice(const MailIndexEntry& entry, MailText& text, MailboxFile& mailbox) {
  {
    HeaderLine line(mailbox);
    line.Append("Subject: ").Append(kAbsenceNoticeSubject).Finish();
  }
  {
    HeaderLine line(mailbox);
    line.Append("From: ").AppendLowerCase(
        UpToNul(UpToLineEnd(text.Piece())).substr(0, kMemberIdLength));
    AppendMailDomain(line);
    line.Finish();
  }
  text.SkipRestOfLine();
  WriteUserLine("To: ", mailbox);
  WriteIndexDateLine(entry.time, mailbox);

  CopyRemainingLines(text, mailbox);
  return 0;
}

}  // namespace mixconv
