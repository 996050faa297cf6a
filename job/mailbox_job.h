// The conversions that the front ends offer, each a log into a destination in
// one form of message.
#pragma once

#include "engine/convert.h"

namespace mixconv {

enum class MessageForm {
  Original,  // the original converter's bytes
  Readable,  // MIME in UTF-8, what today's readers show right
};

// Converts into NAME.mbx beside the log. request.writer, when set, writes the
// messages in place of the form's own writer (one that wraps it, say).
ConversionOutcome ConvertToMailbox(const ConversionRequest& request, MessageForm form);

// The original converter's call: NAME.mbx in the original form. 0 once the
// files were opened and the mailbox kept; -1 when a file could not be opened
// or written. Every outcome has been reported through ReportLine.
int ConvertMailLog(const char* programName, const char* indexPath, const char* fullName,
                   const char* mailAddress);

}  // namespace mixconv
