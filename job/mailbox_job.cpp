#include "job/mailbox_job.h"

#include <optional>
#include <string>

#include "charset/utf8_mail_writer.h"
#include "destinations/mailbox_file.h"
#include "engine/report.h"

namespace mixconv {

namespace {

constexpr char kRefusedFormat[] = "%s: %s.";
constexpr std::string_view kNotBuiltYet = "this build writes mail to an mbox only";

}  // namespace

std::string_view Refusal(MessageForm, Destination destination) {
  return destination == Destination::Mbox ? std::string_view() : kNotBuiltYet;
}

ConversionOutcome ConvertLog(const ConversionRequest& request, MessageForm form,
                             Destination destination) {
  const std::string_view refusal = Refusal(form, destination);
  if (!refusal.empty()) {
    ReportFailure(kRefusedFormat, request.programName, std::string(refusal).c_str());
    return {-1, 0, 0, false};
  }
  const bool readable = form == MessageForm::Readable;
  MailboxFile mailbox(readable ? kUnixMboxStyle : kOriginalMboxStyle);
  std::optional<Utf8MailWriter> utf8Writer;
  ConversionRequest withWriter = request;
  if (withWriter.writer == nullptr && readable) {
    withWriter.writer = &utf8Writer.emplace(request.programName);
  }
  return RunConversion(withWriter, mailbox);
}

ConversionOutcome ConvertToMailbox(const ConversionRequest& request, MessageForm form) {
  return ConvertLog(request, form, Destination::Mbox);
}

int ConvertMailLog(const char* programName, const char* indexPath, const char* fullName,
                   const char* mailAddress) {
  return ConvertToMailbox({programName, indexPath, fullName, mailAddress}, MessageForm::Original)
      .result;
}

}  // namespace mixconv
