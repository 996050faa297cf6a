#include "cli/standard_streams.h"

#include <cstdio>
#include <string>

#include "cli/console.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace mixconv::cli {

namespace {

constexpr int kExitIncomplete = 1;

}  // namespace

void OpenClosedStandardDescriptors() {
#ifndef _WIN32
  for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
    if (::fcntl(descriptor, F_GETFD) == -1) {
      // The lowest free number is the one missing.
      ::open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
  }
#endif
}

int CheckedExitStatus(const char* programName, int status) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    Print(stderr, std::string(programName) + ": standard output: write error.\n");
    return kExitIncomplete;
  }
  if (std::fflush(stderr) != 0 || std::ferror(stderr) != 0) {
    return kExitIncomplete;
  }
  return status;
}

}  // namespace mixconv::cli
