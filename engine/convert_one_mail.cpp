#include "convert_one_mail.h"

#include "mail_reader.h"
#include "messages.h"
#include "report.h"
#include "run_context.h"
#include "sender_name.h"
#include "sjis.h"

namespace mixconv {

int ConvertOneMail(const MailIndexEntry& entry, std::FILE* textFile, MailOutput& out) {
  if (!PositionTextFile(textFile, entry.offset)) {
    ReportFailure(messages::kFileSeekFailed, CurrentRun.programName);
    return -1;
  }
  MailText text(entry, textFile);
  if (text.ReadPiece() <= 0) {
    ReportFailure(messages::kNoTitleLine, CurrentRun.programName);
    return -1;
  }

  const auto kind = static_cast<MailKind>(entry.kind);
  if (kind == MailKind::AbsenceNotice) {
    return ConvertAbsenceNotice(entry, text, out);
  }
  const bool undeliveredNotice =
      kind == MailKind::Received && text.Piece().starts_with(kUndeliveredMarker);
  const std::string_view senderName = TakeSenderName(text.Piece(), undeliveredNotice);
  text.SkipRestOfLine();

  switch (kind) {
    case MailKind::Received:
      return ConvertReceivedMail(entry, text, senderName, undeliveredNotice, out);
    case MailKind::Binary:
    case MailKind::BinaryOther:
      return 0;
    case MailKind::Sent:
      return ConvertSentMail(entry, text, senderName, out);
    default:
      ReportFailure(messages::kUnknownMailKind, CurrentRun.programName, entry.kind);
      return -1;
  }
}

}  // namespace mixconv
