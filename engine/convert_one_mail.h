// Turns one mail's text into the lines that follow its separator in the mailbox.
#pragma once

#include <cstdio>
#include <string_view>

#include "mail_index.h"
#include "mail_output.h"
#include "mail_text.h"

namespace mixconv {

// 0 when the mail is done, -1 when the run must stop (the reason was reported).
int ConvertOneMail(const MailIndexEntry& entry, std::FILE* textFile, MailOutput& out);

// The per-kind parts, entered with the title line read and its rest skipped.
int ConvertReceivedMail(const MailIndexEntry& entry, MailText& text, std::string_view senderName,
                        bool undeliveredNotice, MailOutput& out);
int ConvertSentMail(const MailIndexEntry& entry, MailText& text, std::string_view senderName,
                    MailOutput& out);
// Entered with the title line read: its first bytes are the sender's member ID.
int ConvertAbsenceNotice(const MailIndexEntry& entry, MailText& text, MailOutput& out);

}  // namespace mixconv
