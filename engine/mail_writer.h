// Everything a mail puts into the mailbox file goes out through these.
#pragma once

#include <cstddef>

#include "mailbox_file.h"

namespace mixconv {

void WriteMailBlock(const char* bytes, std::size_t n, MailboxFile& mailbox);

// A line of the mail's own text. One that starts with "From " after any number
// of ">" gains one more ">", so that mail readers never see a new mail there.
void WriteCopiedLine(const char* bytes, std::size_t n, MailboxFile& mailbox);

// Ends the mail at a line end, so that the next separator starts a line.
void FinishMail(MailboxFile& mailbox);

}  // namespace mixconv
