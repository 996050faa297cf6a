#include "job/mailbox_job.h"

#include <optional>

#include "charset/utf8_mail_writer.h"
#include "destinations/mailbox_file.h"

namespace mixconv {

ConversionOutcome ConvertToMailbox(const ConversionRequest& request, MessageForm form) {
  const bool readable = form == MessageForm::Readable;
  MailboxFile mailbox(readable ? kUnixMboxStyle : kOriginalMboxStyle);
  std::optional<Utf8MailWriter> utf8Writer;
  ConversionRequest withWriter = request;
  if (withWriter.writer == nullptr && readable) {
    withWriter.writer = &utf8Writer.emplace(request.programName);
  }
  return RunConversion(withWriter, mailbox);
}

int ConvertMailLog(const char* programName, const char* indexPath, const char* fullName,
                   const char* mailAddress) {
  return ConvertToMailbox({programName, indexPath, fullName, mailAddress}, MessageForm::Original)
      .result;
}

}  // namespace mixconv
