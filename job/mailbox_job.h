// The conversions that the front ends offer, each a log into a destination in
// one form of message.
#pragma once

#include "engine/convert.h"

namespace mixconv {

// Converts into NAME.mbx beside the log, in the form of request.writer.
ConversionOutcome ConvertToMailbox(const ConversionRequest& request);

// The original converter's call: NAME.mbx in the original form. 0 once the
// files were opened and the mailbox kept; -1 when a file could not be opened
// or written. Every outcome has been reported through ReportLine.
int ConvertMailLog(const char* programName, const char* indexPath, const char* fullName,
                   const char* mailAddress);

}  // namespace mixconv
