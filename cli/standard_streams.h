// The standard streams that mixconv-cli reports on.
#pragma once

namespace mixconv::cli {

// Opens the null device for any of descriptors 0, 1 and 2 that a launcher left
// closed, so that no file the program opens takes that number and receives its
// messages. Call before anything is opened.
void OpenClosedStandardDescriptors();

// status, or a failure when what was printed did not reach standard output or
// error: a report that cannot be written is a failed run.
int CheckedExitStatus(const char* programName, int status);

}  // namespace mixconv::cli
