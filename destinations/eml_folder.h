// One .eml file per mail, as Windows and macOS mail programs open and import
// them, in a folder beside the log.
#pragma once

#include "destinations/message_folder.h"

namespace mixconv {

// The folder is NAME.eml-files: named after the log, and not itself taken
// for an .eml file by the programs, file pickers and "*.eml" patterns that
// look at names only. Its files are named "0000000003 2001-06-14 1624
// Subject.eml": the mail's place in the index, ten digits so that names sort
// in index order whatever the count, its local date and time, and as much of
// its subject as fits a name every system takes. Lines end in CR LF.
extern const FolderLayout kEmlFolderLayout;

}  // namespace mixconv
