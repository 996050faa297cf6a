// libFuzzer target: one whole conversion of a log made from the input, then the
// promises a damaged log must not break.
// Input: a flags byte (bit 0: --utf8 form; bit 1: an earlier NAME.mbx exists;
// bit 2: the disk is full once the mailbox holds half the text file's size),
// the index's length (2 bytes, little endian), the index bytes, then the text
// file's bytes.
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/convert.h"
#include "job/mailbox_job.h"
#include "log_builder/mail_log_builder.h"

namespace {

using mixconv::log_builder::ReadFileBytes;
using mixconv::log_builder::WriteFileBytes;

constexpr std::string_view kSeparatorStart = "From - ";
constexpr std::string_view kFromLineStart = "From ";
constexpr std::string_view kSummaryStart = "convert ";
// The run stopped inside a mail, after its separator: an abort or a failed seek.
constexpr std::string_view kAbort = "!! ABORT...";
constexpr std::string_view kSeekFailed = "file seek failed.";
constexpr std::string_view kWriteError = "file write error.";

[[noreturn]] void Fail(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "invariant broken: %s: %.*s\n", what, static_cast<int>(detail.size()),
               detail.data());
  std::abort();
}

void Check(bool holds, const char* what, std::string_view detail = {}) {
  if (!holds) {
    Fail(what, detail);
  }
}

class Lines final : public mixconv::ReportTarget {
 public:
  int AddLine(const char* text) override {
    lines.emplace_back(text);
    return 0;
  }
  std::vector<std::string> lines;
};

// Checks every synthesised header line on its way to the writer.
class CheckingObserver final : public mixconv::MailObserver {
 public:
  void BeginMail(const mixconv::MailStart&) override {}
  void HeaderLine(const mixconv::HeaderLineView& line) override {
    // A part that more of the line follows has no line end; the last part ends in one.
    const std::string_view bytes = line.bytes;
    const std::size_t lineEnd = line.continues ? 0 : 2;
    Check(line.continues || (bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n"),
          "header line end", bytes);
    Check(bytes.substr(0, bytes.size() - lineEnd).find_first_of("\r\n") == std::string_view::npos,
          "line end inside a header line", bytes);
    for (const mixconv::AddressSpan& span : line.addresses) {
      for (const std::string_view part : {span.displayName, span.address}) {
        Check(part.empty() || (part.data() >= bytes.data() &&
                               part.data() + part.size() <= bytes.data() + bytes.size()),
              "address span outside its line", bytes);
      }
    }
  }
  void CopiedLine(const mixconv::CopiedLine&) override {}
  void EndMail(const mixconv::MailFacts&) override {}
};

std::string WorkDirectory;
constexpr std::string_view kEarlierMailbox = "From - earlier\r\n";

void RemoveWorkDirectory() { std::filesystem::remove_all(WorkDirectory); }

// A private directory, made once and removed when the fuzzer exits.
std::string WorkBase() {
  if (WorkDirectory.empty()) {
    std::string dir = (std::filesystem::temp_directory_path() / "mixconv-fuzz-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) {
      Fail("mkdtemp");
    }
    WorkDirectory = dir;
    std::atexit(RemoveWorkDirectory);
  }
  return WorkDirectory + "/LOG";
}

// Runs convert with the files written from here on limited to limit bytes.
template <typename Convert>
mixconv::ConversionOutcome WithFileSizeLimit(rlim_t limit, Convert convert) {
  rlimit unlimited{};
  getrlimit(RLIMIT_FSIZE, &unlimited);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit full{limit, unlimited.rlim_max};
  setrlimit(RLIMIT_FSIZE, &full);
  const mixconv::ConversionOutcome outcome = convert();
  setrlimit(RLIMIT_FSIZE, &unlimited);
  std::signal(SIGXFSZ, previousHandler);
  return outcome;
}

// Lines of the mailbox that start with "From ": every one must be a separator,
// ending in CR LF in the default form, and after an empty line in the --utf8 form.
std::size_t CountSeparators(std::string_view mailbox, bool utf8) {
  std::size_t separators = 0;
  for (std::size_t start = 0; start < mailbox.size();) {
    const std::size_t end = mailbox.find('\n', start);
    const std::string_view line = mailbox.substr(start, end - start);
    if (line.starts_with(kFromLineStart)) {
      Check(line.starts_with(kSeparatorStart) && line.ends_with("\r") != utf8, "stray From line",
            line);
      Check(!utf8 || start == 0 || mailbox.substr(0, start).ends_with("\n\n"),
            "no empty line before a separator", line);
      ++separators;
    }
    start = end == std::string_view::npos ? mailbox.size() : end + 1;
  }
  return separators;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) {
    return 0;
  }
  const bool utf8 = (data[0] & 1) != 0;
  const bool earlierMailbox = (data[0] & 2) != 0;
  const bool diskFull = (data[0] & 4) != 0;
  const std::size_t indexLength = std::min<std::size_t>(data[1] | (data[2] << 8), size - 3);
  const std::string_view input(reinterpret_cast<const char*>(data) + 3, size - 3);
  const std::string base = WorkBase();
  WriteFileBytes(base + ".MIX", input.substr(0, indexLength));
  WriteFileBytes(base + ".TXT", input.substr(indexLength));
  std::filesystem::remove(base + ".partial.mbx");
  std::filesystem::remove(base + ".mbx");
  if (earlierMailbox) {
    WriteFileBytes(base + ".mbx", kEarlierMailbox);
  }

  CheckingObserver checks;
  Lines report;
  mixconv::ActiveResultLog = &report;
  const auto convert = [&] {
    return mixconv::ConvertLog(
        {"fuzz", base.c_str(), "N", "U"},
        utf8 ? mixconv::MessageForm::Readable : mixconv::MessageForm::Original,
        mixconv::Destination::Mbox, &checks);
  };
  const std::size_t textSize = input.size() - indexLength;
  const mixconv::ConversionOutcome outcome =
      diskFull ? WithFileSizeLimit(textSize / 2, convert) : convert();
  mixconv::ActiveResultLog = nullptr;

  bool writeFailed = false;
  for (const std::string& line : report.lines) {
    writeFailed = writeFailed || line.ends_with(kWriteError);
  }
  Check(outcome.result == 0 || writeFailed, "files that open and write gave a failed result");
  Check(diskFull || !writeFailed, "a write failed with room on the disk");
  Check(!report.lines.empty() && report.lines.back().starts_with(kSummaryStart),
        "the summary is not the last line");
  char summary[64];
  std::snprintf(summary, sizeof summary, "convert %u/%u mail", outcome.converted, outcome.total);
  Check(report.lines.back() == summary, "summary counts", report.lines.back());
  Check(outcome.converted <= outcome.total, "more mails converted than the index holds");
  bool stoppedInMail = false;
  for (const std::string& line : report.lines) {
    stoppedInMail = stoppedInMail || line.ends_with(kAbort) || line.ends_with(kSeekFailed);
  }
  // Only a complete run replaces an earlier mailbox; nothing else is left beside the log.
  const bool partial = earlierMailbox && !outcome.complete;
  const std::string mailbox = ReadFileBytes(base + (partial ? ".partial.mbx" : ".mbx"));
  Check(!partial || ReadFileBytes(base + ".mbx") == kEarlierMailbox, "the earlier mailbox changed");
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(WorkDirectory)) {
    ++files;
  }
  Check(files == (partial ? 4U : 3U), "files beside the log other than the mailbox");
  // A mail that stopped the run is left as far as it got, its separator at least,
  // unless a failed write took it: a file cut short holds the whole mails it counts.
  const bool stoppedMailKept = stoppedInMail && !writeFailed;
  Check(CountSeparators(mailbox, utf8) == outcome.converted + (stoppedMailKept ? 1 : 0),
        "separators do not match the mails converted");
  Check(mailbox.empty() || mailbox.back() == '\n', "mailbox ends inside a line");
  Check(!utf8 || stoppedMailKept || mailbox.empty() || mailbox.ends_with("\n\n"),
        "no empty line ends the mailbox");
  return 0;
}
