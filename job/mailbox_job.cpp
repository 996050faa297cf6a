#include "job/mailbox_job.h"

#include "destinations/mailbox_file.h"

namespace mixconv {

namespace {

// Single-instance, like the engine's working storage: one run at a time.
MailboxFile& Mailbox() {
  static MailboxFile mailbox;
  return mailbox;
}

}  // namespace

ConversionOutcome ConvertToMailbox(const ConversionRequest& request) {
  return RunConversion(request, Mailbox());
}

int ConvertMailLog(const char* programName, const char* indexPath, const char* fullName,
                   const char* mailAddress) {
  return ConvertToMailbox({programName, indexPath, fullName, mailAddress}).result;
}

}  // namespace mixconv
