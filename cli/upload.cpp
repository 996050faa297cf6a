#include "cli/upload.h"

#include <unistd.h>

#include <array>
#include <csignal>

#include "cli/password.h"
#include "imap/imap_url.h"
#include "job/imap_upload.h"

namespace mixconv::cli {

namespace {

// A first Ctrl-C (or SIGTERM, SIGHUP) stops the upload after the mails already
// sent, so that it can say how far it came; a second one ends the program at once.
volatile std::sig_atomic_t StopSignal = 0;
constexpr std::array kStopSignals = {SIGINT, SIGTERM, SIGHUP};

void AskToStop(int signal) { StopSignal = signal; }

void CatchStopSignals() {
  struct sigaction action{};
  action.sa_handler = AskToStop;
  action.sa_flags = SA_RESETHAND;
  for (const int signal : kStopSignals) {
    struct sigaction previous{};
    sigaction(signal, nullptr, &previous);
    // One that the caller ignores (nohup) stays ignored.
    if (previous.sa_handler != SIG_IGN) {
      sigaction(signal, &action, nullptr);
    }
  }
}

class TerminalControl final : public imap::UploadControl {
 public:
  explicit TerminalControl(ProgressLine& line) : line_(line) {}
  void ShowProgress(std::uint32_t inFolder, std::uint32_t expected) override {
    line_.ShowSent(inFolder, expected);
  }
  bool StopAsked() const override { return StopSignal != 0; }

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
  TerminalControl control(progress);
  CatchStopSignals();
  report.ClearFirst(&progress);
  bool allComplete = true;
  for (const std::string& indexPath : options.indexPaths) {
    const ConversionOutcome outcome =
        UploadLog({kProgramName, indexPath.c_str(), options.fullName.c_str(),
                   options.mailAddress.c_str(), options.mailDomain.c_str()},
                  account, password.Text(), &control);
    progress.Clear();
    allComplete = allComplete && outcome.complete;
    if (StopSignal != 0) {
      break;
    }
  }
  report.ClearFirst(nullptr);
  return allComplete ? 0 : kExitIncomplete;
}

}  // namespace mixconv::cli
