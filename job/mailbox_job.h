// The conversions that the front ends offer, each a log into a destination in
// one form of message.
#pragma once

#include <string_view>

#include "engine/convert.h"
#include "engine/mail_destination.h"
#include "formats/mbox_framing.h"
#include "job/mail_observer.h"

namespace mixconv {

enum class MessageForm {
  Original,  // the original converter's bytes
  Readable,  // MIME in UTF-8, what today's readers show right
};

// Where the messages go, beside the log.
enum class Destination {
  Mbox,       // NAME.mbx, every mail in one file
  EmlFolder,  // a folder holding one .eml file per mail
  Maildir,    // NAME.maildir, every mail seen
};

// Why messages in form cannot go to destination on this system, as the end of
// a line; empty when they can.
std::string_view Refusal(MessageForm form, Destination destination);

// Converts the log into destination. request.writer, when set, writes the
// messages in place of the form's own writer; observer, when given, sees every
// mail as it is written. A pair that Refusal refuses is reported and converts
// nothing.
ConversionOutcome ConvertLog(const ConversionRequest& request, MessageForm form,
                             Destination destination, MailObserver* observer = nullptr);

// ConvertLog into a destination of the caller's, with no refusal: a mailbox
// framed in MailboxStyle(form), say.
ConversionOutcome ConvertLogInto(const ConversionRequest& request, MessageForm form,
                                 MailDestination& destination, MailObserver* observer = nullptr);

// How a mailbox of messages in form is framed.
const MboxStyle& MailboxStyle(MessageForm form);

}  // namespace mixconv
