#include "tests/support/mailbox_conversion.h"

namespace mixconv::testing {

ConversionOutcome ConvertToMailbox(const ConversionRequest& request, MessageForm form) {
  return ConvertLog(request, form, Destination::Mbox);
}

int ConvertMailLog(const char* programName, const char* indexPath, const char* fullName,
                   const char* mailAddress) {
  return ConvertToMailbox({programName, indexPath, fullName, mailAddress}, MessageForm::Original)
      .result;
}

}  // namespace mixconv::testing
