// mixconv-cli's command line.
#pragma once

#include <string>
#include <vector>

#include "job/mailbox_job.h"
#include "version.h"

namespace mixconv::cli {

inline constexpr const char* kProgramName = kCliProgramName;
inline constexpr int kExitIncomplete = 1;
inline constexpr int kExitUsage = 2;

struct Options {
  std::string fullName;
  std::string mailAddress;
  std::string mailDomain;
  bool quiet = false;
  MessageForm form = MessageForm::Readable;
  Destination destination = Destination::Mbox;
  std::string imapUrl;  // upload there in place of a destination beside the log
  std::string caFile;
  std::string passwordCommand;
  bool showHelp = false;
  bool showVersion = false;
  std::vector<std::string> indexPaths;
};

struct ParsedOptions {
  Options options;
  std::string error;  // a usage error, empty when the command line is sound
};

// arguments[0] is the program. Values are kept as they arrive, in the
// encoding that LocaleCharset names.
ParsedOptions ParseOptions(const std::vector<std::string>& arguments);

// What --help prints.
std::string UsageText();

// Prints the usage error with a pointer to --help; returns kExitUsage.
int UsageError(const std::string& message);

}  // namespace mixconv::cli
