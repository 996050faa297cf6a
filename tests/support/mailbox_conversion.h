// The mbox conversions the tests run the way the original converter was called.
#pragma once

#include "engine/convert.h"
#include "job/mailbox_job.h"

namespace mixconv::testing {

// ConvertLog into NAME.mbx.
ConversionOutcome ConvertToMailbox(const ConversionRequest& request, MessageForm form);

// The original converter's call: NAME.mbx in the original form. 0 once the
// files were opened and the mailbox kept; -1 when a file could not be opened
// or written. Every outcome has been reported through ReportLine.
int ConvertMailLog(const char* programName, const char* indexPath, const char* fullName,
                   const char* mailAddress);

}  // namespace mixconv::testing
