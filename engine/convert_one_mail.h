// Turns one mail's text into the lines that follow its separator in the mailbox.
#pragma once

#include <cstdio>
#include <string_view>

#include "mail_index.h"
#include "mail_text.h"
#include "mailbox_file.h"

namespace mixconv {

// 0 when the mail is done, -1 when the run must stop (the reason was reported).
int ConvertOneMail(const MailIndexEntry& entry, std::FILE* textFile, MailboxFile& mailbox);

// The per-kind parts, entered with the title line read and its rest skipped.
int ConvertReceivedMail(const MailIndexEntry& entry, MailText& text, std::string_view senderName,
                        bool undeliveredNotice, MailboxFile& mailbox);
int ConvertSentMail(const MailIndexEntry& entry, MailText& text, std::string_view senderName,
                    MailboxFile& mailbox);
// Entered with the title line read: its first bytes are the sender's member ID.
int ConvertAbsenceNotice(const MailIndexEntry& entry, MailText& text, MailboxFile& mailbox);

}  // namespace mixconv
