// mixconv-cli: converts mail logs to mailbox files or folders of mail files from the
// command line.
#include <cstdio>
#include <string>
#include <vector>

#include "charset/cp932.h"
#include "cli/console.h"
#include "cli/locale_charset.h"
#include "cli/options.h"
#include "cli/standard_streams.h"
#include "cli/stream_report.h"
#ifdef MIXCONV_WITH_IMAP
#include "cli/upload.h"
#endif
#include "engine/convert.h"
#include "files/new_file.h"
#include "job/mailbox_job.h"
#include "version.h"

namespace {

using mixconv::cli::kExitIncomplete;
using mixconv::cli::kExitUsage;
using mixconv::cli::UsageError;

// Names and addresses go into the mailbox as Shift_JIS bytes, like everything else there.
bool EncodeOption(const char* optionName, std::string& value, const std::string& charset) {
  mixconv::Cp932Text encoded = mixconv::EncodeCp932(value, charset.c_str());
  if (!encoded.ok()) {
    UsageError(std::string(optionName) + ": " + encoded.error);
    return false;
  }
  value = std::move(encoded.bytes);
  return true;
}

int Run(const std::vector<std::string>& arguments) {
  using namespace mixconv::cli;
  UseEnvironmentLocale();
  ParsedOptions parsed = ParseOptions(arguments);
  if (!parsed.error.empty()) {
    return UsageError(parsed.error);
  }
  Options& options = parsed.options;
  if (options.showHelp) {
    Print(stdout, UsageText());
    return 0;
  }
  if (options.showVersion) {
    Print(stdout, std::string(kProgramName) + " " + mixconv::kVersionText + "\n");
    return 0;
  }
  const std::string charset = LocaleCharset();
  if (!EncodeOption("--name", options.fullName, charset) ||
      !EncodeOption("--email", options.mailAddress, charset) ||
      !EncodeOption("--domain", options.mailDomain, charset)) {
    return kExitUsage;
  }

  StreamReport report(kProgramName, options.quiet);
  mixconv::ActiveResultLog = &report;
#ifdef MIXCONV_WITH_IMAP
  if (!options.imapUrl.empty()) {
    const int status = UploadLogs(options, report);
    mixconv::ActiveResultLog = nullptr;
    return status;
  }
#endif
  bool allComplete = true;
  for (const std::string& indexPath : options.indexPaths) {
    const mixconv::ConversionOutcome outcome =
        mixconv::ConvertLog({kProgramName, indexPath.c_str(), options.fullName.c_str(),
                             options.mailAddress.c_str(), options.mailDomain.c_str()},
                            options.form, options.destination);
    allComplete = allComplete && outcome.complete;
  }
  mixconv::ActiveResultLog = nullptr;
  return allComplete ? 0 : kExitIncomplete;
}

}  // namespace

int main(int argc, char** argv) {
  mixconv::cli::OpenClosedStandardDescriptors();
  mixconv::files::GuardUnfinishedFiles();
  return mixconv::cli::CheckedExitStatus(mixconv::cli::kProgramName,
                                         Run(mixconv::cli::CommandLine(argc, argv)));
}
