#include "cli/upload.h"

#include <unistd.h>

#include "cli/password.h"
#include "imap/imap_url.h"
#include "job/imap_upload.h"

namespace mixconv::cli {

namespace {

class ProgressShown final : public imap::UploadProgress {
 public:
  explicit ProgressShown(ProgressLine& line) : line_(line) {}
  void Update(std::uint32_t inFolder, std::uint32_t expected) override {
    line_.ShowSent(inFolder, expected);
  }

 private:
  ProgressLine& line_;
};

}  // namespace

int UploadLogs(const Options& options, StreamReport& report) {
  const imap::ParsedImapUrl url = imap::ParseImapUrl(options.imapUrl);
  if (!url.address) {
    return UsageError("--imap: " + url.error);
  }
  const imap::ImapAccount account{*url.address, options.caFile};
  KeepSecretsFromOtherProcesses();
  Secret password;
  const PasswordSource source{options.passwordCommand,
                              "Password for " + account.address.user + "@" +
                                  account.address.host + ": "};
  switch (ReadPassword(kProgramName, source, password)) {
    case PasswordOutcome::Read:
      break;
    case PasswordOutcome::Failed:
      return kExitIncomplete;
    case PasswordOutcome::NoSource:
      return UsageError(
          "--imap needs a password: give --password-command, or set MIXCONV_IMAP_PASSWORD, or "
          "run it on a terminal to be asked");
  }
  ProgressLine progress(isatty(STDOUT_FILENO) && !options.quiet);
  ProgressShown shown(progress);
  report.ClearFirst(&progress);
  bool allComplete = true;
  for (const std::string& indexPath : options.indexPaths) {
    const ConversionOutcome outcome =
        UploadLog({kProgramName, indexPath.c_str(), options.fullName.c_str(),
                   options.mailAddress.c_str(), options.mailDomain.c_str()},
                  account, password.Text(), &shown);
    progress.Clear();
    allComplete = allComplete && outcome.complete;
  }
  report.ClearFirst(nullptr);
  return allComplete ? 0 : kExitIncomplete;
}

}  // namespace mixconv::cli
