// A Maildir beside the log, NAME.maildir, for Dovecot, mutt, neomutt and other
// Maildir readers: cur, new and tmp, and every mail in cur, seen.
#pragma once

#include "destinations/message_folder.h"

namespace mixconv {

// A mail's file is "cur/<time>.M<number>P<tag>.mixconv:2,S": the mail's time
// and its place in the index, each ten digits, so that the names sort as
// Dovecot numbers them (by time, then by the number after M) and, in a log
// kept in time order, in index order; a tag of the log's name, so that the
// mails of two logs stay apart when their folders are merged, and no process
// ID, so that every run names every mail alike; the info "2,S": seen. Lines
// end in LF, as the writer writes them.
extern const FolderLayout kMaildirLayout;

}  // namespace mixconv
