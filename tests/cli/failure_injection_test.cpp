// mixconv-cli when the system fails it: a full disk part-way, files it may not
// read or write, directories where files should be. Each run is a child process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/cli_child.h"
#include "tests/support/conversion_harness.h"
#include "tests/support/folder_watcher.h"

namespace mixconv::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kExitIncomplete = 1;

constexpr fs::perms kReadAndSearch = fs::perms::owner_read | fs::perms::owner_exec |
                                     fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec;

// Where root would be let through anyway, the child gives up root first.
void DropRoot() {
  if (::geteuid() == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) {
      ::_exit(126);
    }
  }
}

// A copy of the program that "nobody" can run: the build tree may lie in a
// directory only its owner can enter, such as root's home.
const char* ReachableCli() {
  static const TempDir dir;
  static const fs::path program = [] {
    const fs::path copy = dir.path() / fs::path(MIXCONV_CLI_PATH).filename();
    fs::copy_file(MIXCONV_CLI_PATH, copy);
    fs::permissions(copy, kReadAndSearch);
    fs::permissions(dir.path(), kReadAndSearch | fs::perms::owner_write);
    return copy;
  }();
  return program.c_str();
}

class FailureInjectionTest : public ::testing::Test {
 protected:
  // A run that dies while the test feeds its text must not take the test along.
  FailureInjectionTest() { std::signal(SIGPIPE, SIG_IGN); }

  // Starts mixconv-cli in dir with the arguments, after setUp has run in the child.
  Child StartCli(
      const std::vector<std::string>& arguments, const std::function<void()>& setUp = [] {}) {
    const std::string run = std::to_string(++runs_);
    return StartChild(ReachableCli(), dir_.path(),
                      {-1, scratch_.path() / ("out" + run), scratch_.path() / ("err" + run)},
                      arguments, setUp);
  }

  static CliRun Wait(const Child& child) { return WaitForExit(child); }

  CliRun RunCli(
      const std::vector<std::string>& arguments, const std::function<void()>& setUp = [] {}) {
    return Wait(StartCli(arguments, setUp));
  }

  std::string Mailbox(const std::string& name) const { return ReadFileBytes(dir_.path() / name); }

  // The file that child is writing beside the log, once bytes reached it: found
  // through the child's descriptors, since it may have no name.
  std::optional<struct stat> FileBeingWritten(pid_t pid) const {
    struct stat log {};
    ::stat((dir_.path() / "LOG.MIX").c_str(), &log);
    const fs::path descriptors = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code error;
    for (fs::directory_iterator entry(descriptors, error), end; !error && entry != end;
         entry.increment(error)) {
      struct stat file {};
      const std::string target = fs::read_symlink(entry->path(), error).string();
      if (!error && target.starts_with(dir_.path().string() + "/") &&
          !target.ends_with("/LOG.MIX") && !target.ends_with("/LOG.TXT") &&
          ::stat(entry->path().c_str(), &file) == 0 && S_ISREG(file.st_mode) &&
          file.st_dev == log.st_dev && file.st_size > 0) {
        return file;
      }
    }
    return std::nullopt;
  }

  // A run whose text file is a pipe, started with half of LOG.TXT sent: it
  // writes its mailbox part-way, then waits for the rest.
  struct PipedRun {
    Child child;
    int text = -1;
    std::optional<struct stat> writing;  // the file it was writing, once seen
  };

  PipedRun StartPipedRun(
      const std::vector<std::string>& arguments, const std::function<void()>& setUp = [] {}) {
    const fs::path textPath = dir_.path() / "LOG.TXT";
    const std::string text = ReadFileBytes(textPath);
    fs::remove(textPath);
    EXPECT_EQ(::mkfifo(textPath.c_str(), 0600), 0);
    PipedRun run{StartCli(arguments, setUp), -1, std::nullopt};
    run.text = ::open(textPath.c_str(), O_WRONLY);
    const std::string half = text.substr(0, text.size() / 2);
    EXPECT_EQ(::write(run.text, half.data(), half.size()), static_cast<ssize_t>(half.size()));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!(run.writing = FileBeingWritten(run.child.pid)) &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return run;
  }

  static CliRun FinishPipedRun(const PipedRun& run, const std::string& text) {
    const std::string rest = text.substr(text.size() / 2);
    EXPECT_EQ(::write(run.text, rest.data(), rest.size()), static_cast<ssize_t>(rest.size()));
    ::close(run.text);
    return Wait(run.child);
  }

  TempDir dir_;
  TempDir scratch_;  // the child's streams, out of the way of permission changes
  int runs_ = 0;
};

// Enough that half of the text file fills the mailbox's buffer and reaches the file.
constexpr int kPipedMails = 1000;

MailLogBuilder ManyMails(int count) {
  MailLogBuilder log;
  for (int i = 0; i < count; ++i) {
    log.AddMail(kind::kSent, "Desk\r\nTO:ABC\r\nSUB:Minutes\r\n" + std::string(200, 'x') + "\r\n",
                i);
  }
  return log;
}

// Offsets just past each mail in a mailbox: where the next separator starts.
std::vector<std::size_t> MailEnds(const std::string& mailbox) {
  std::vector<std::size_t> ends;
  for (std::size_t at = mailbox.find("\nFrom - "); at != std::string::npos;
       at = mailbox.find("\nFrom - ", at + 1)) {
    ends.push_back(at + 1);
  }
  ends.push_back(mailbox.size());
  return ends;
}

TEST_F(FailureInjectionTest, FileSizeLimitPartWayCountsOnlyTheMailsInTheFile) {
  constexpr rlim_t kLimit = 16 * 1024;
  ManyMails(200).WriteFiles(dir_.path() / "FULL");
  ASSERT_EQ(RunCli({"FULL"}).status, 0);
  const std::string whole = ReadFileBytes(dir_.path() / "FULL.mbx");
  ASSERT_GT(whole.size(), 2 * kLimit);

  // As `ulimit -f` leaves it: the size limit's signal would stop the run.
  const CliRun limited = RunCli({"FULL"}, [] {
    const rlimit limit{kLimit, kLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  });
  EXPECT_EQ(limited.status, kExitIncomplete);
  EXPECT_EQ(
      limited.err,
      "mixconv-cli: file write error.\n"
      "mixconv-cli: the mails converted are in FULL.partial.mbx; FULL.mbx is left as it was.\n");
  EXPECT_EQ(Mailbox("FULL.mbx"), whole);
  // Whole mails only, as many as the summary counts: the file ends where one does.
  const std::string cut = Mailbox("FULL.partial.mbx");
  const std::vector<std::size_t> ends = MailEnds(whole);
  const auto end = std::find(ends.begin(), ends.end(), cut.size());
  ASSERT_NE(end, ends.end()) << cut.size();
  EXPECT_LE(cut.size(), kLimit);
  EXPECT_EQ(cut, whole.substr(0, cut.size()));
  EXPECT_EQ(limited.out, "convert " + std::to_string(end - ends.begin() + 1) + "/200 mail\n");
  EXPECT_EQ(CountSeparators(cut), static_cast<std::size_t>(end - ends.begin() + 1));
}

TEST_F(FailureInjectionTest, DirectoriesWhereTheLogShouldBeAreFilesThatDoNotOpen) {
  for (const std::string extension : {"TXT", "MIX"}) {
    const std::string base = "DIR" + extension;
    const std::string directory = base + "." + extension;
    ManyMails(1).WriteFiles(dir_.path() / base);
    fs::remove(dir_.path() / directory);
    fs::create_directory(dir_.path() / directory);
    const CliRun run = RunCli({base + ".MIX"});
    EXPECT_EQ(run.status, kExitIncomplete);
    EXPECT_EQ(run.err, "mixconv-cli: " + directory + " file open failed.\n");
    EXPECT_FALSE(fs::exists(dir_.path() / (base + ".mbx")));
  }
}

TEST_F(FailureInjectionTest, UnreadableLogAndUnwritableDirectoryAreNamed) {
  ManyMails(1).WriteFiles(dir_.path() / "SECRET");
  fs::permissions(dir_.path(), kReadAndSearch | fs::perms::owner_write);
  fs::permissions(dir_.path() / "SECRET.MIX", fs::perms::owner_read | fs::perms::others_read);
  fs::permissions(dir_.path() / "SECRET.TXT", fs::perms::none);
  const CliRun unreadable = RunCli({"SECRET"}, DropRoot);
  EXPECT_EQ(unreadable.status, kExitIncomplete);
  EXPECT_EQ(unreadable.err, "mixconv-cli: SECRET.TXT file open failed.\n");

  ManyMails(1).WriteFiles(dir_.path() / "LOCKED");
  fs::permissions(dir_.path() / "LOCKED.MIX", fs::perms::owner_read | fs::perms::others_read);
  fs::permissions(dir_.path() / "LOCKED.TXT", fs::perms::owner_read | fs::perms::others_read);
  fs::permissions(dir_.path(), kReadAndSearch);
  const CliRun unwritable = RunCli({"LOCKED"}, DropRoot);
  fs::permissions(dir_.path(), fs::perms::owner_all);
  EXPECT_EQ(unwritable.status, kExitIncomplete);
  EXPECT_EQ(unwritable.err, "mixconv-cli: LOCKED.mbx file open failed.\n");
  EXPECT_FALSE(fs::exists(dir_.path() / "LOCKED.mbx"));
}

TEST_F(FailureInjectionTest, RunsThatStopEarlyLeaveTheEarlierMailboxAsItWas) {
  const MailLogBuilder good = ManyMails(3);
  good.WriteFiles(dir_.path() / "LOG");
  ASSERT_EQ(RunCli({"LOG"}).status, 0);
  const std::string earlier = Mailbox("LOG.mbx");
  const std::string& text = good.TextBytes();
  const struct {
    const char* what;
    MailLogBuilder log;
  } damaged[] = {
      {"index under 14 bytes", MailLogBuilder().AppendText(text).ClaimCount(0)},
      {"unknown kind at mail 2", ManyMails(1).AddMail(9, "Desk\r\n")},
      {"text file cut short", ManyMails(3).AddEntry({0, 0, kind::kSent, 0, 100000})},
      {"negative offset", ManyMails(1).AddEntry({0, 0, kind::kSent, -50, 100})},
  };
  for (const auto& [what, log] : damaged) {
    log.WriteFiles(dir_.path() / "LOG");
    if (std::string_view(what) == "index under 14 bytes") {
      WriteFileBytes(dir_.path() / "LOG.MIX", log.IndexBytes().substr(0, 13));
    }
    const CliRun run = RunCli({"LOG"});
    EXPECT_EQ(run.status, kExitIncomplete) << what;
    EXPECT_NE(run.err.find("mixconv-cli: the mails converted are in LOG.partial.mbx; LOG.mbx is "
                           "left as it was.\n"),
              std::string::npos)
        << what << ": " << run.err;
    EXPECT_EQ(Mailbox("LOG.mbx"), earlier) << what;
    EXPECT_EQ(DirectoryNames(dir_.path()),
              (std::vector<std::string>{"LOG.MIX", "LOG.TXT", "LOG.mbx", "LOG.partial.mbx"}))
        << what;
    fs::remove(dir_.path() / "LOG.partial.mbx");
  }

  // With no earlier mailbox, what was converted goes to NAME.mbx.
  fs::remove(dir_.path() / "LOG.mbx");
  const CliRun first = RunCli({"LOG"});
  EXPECT_EQ(first.err, "mixconv-cli: file seek failed.\n");
  EXPECT_TRUE(Mailbox("LOG.mbx").starts_with("From - "));
  EXPECT_FALSE(fs::exists(dir_.path() / "LOG.partial.mbx"));
}

// Signals that stop a process leave nothing of the run behind, and still stop
// it; a closed pipe or the file size limit does not stop it.
TEST_F(FailureInjectionTest, ARunStoppedBySignalsLeavesNothingOfItsOwn) {
  const MailLogBuilder log = ManyMails(kPipedMails);
  log.WriteFiles(dir_.path() / "LOG");
  ASSERT_EQ(RunCli({"LOG"}).status, 0);
  const std::string earlier = Mailbox("LOG.mbx");
  for (const int signal : {SIGKILL, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ}) {
    log.WriteFiles(dir_.path() / "LOG");
    const PipedRun run = StartPipedRun({"LOG"}, [] {
      const rlimit noCore{0, 0};
      ::setrlimit(RLIMIT_CORE, &noCore);
    });
    ASSERT_TRUE(run.writing) << signal << ": never saw the run write";
    ::kill(run.child.pid, signal);
    if (signal == SIGPIPE || signal == SIGXFSZ) {
      EXPECT_EQ(FinishPipedRun(run, log.TextBytes()).status, 0) << signal;
    } else {
      EXPECT_EQ(WaitForSignal(run.child), signal);
      ::close(run.text);
    }
    EXPECT_EQ(Mailbox("LOG.mbx"), earlier) << signal;
    EXPECT_EQ(DirectoryNames(dir_.path()),
              (std::vector<std::string>{"LOG.MIX", "LOG.TXT", "LOG.mbx"}))
        << signal;
    fs::remove(dir_.path() / "LOG.TXT");
  }
}

// Files that killed runs left where the system gives every file a name: a later
// run of the same log removes those no process holds.
TEST_F(FailureInjectionTest, FilesLeftByKilledRunsAreRemovedByTheNextRun) {
  ManyMails(1).WriteFiles(dir_.path() / "LOG");
  const auto anHourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (const char* name : {"LOG.mbx.0badcafe.tmp", "LOG.mbx.12345678.tmp", "LOG.mbx.backup.tmp",
                           "LOG.mbx.0000fade.tmp", "OTHER.mbx.0badcafe.tmp"}) {
    WriteFileBytes(dir_.path() / name, "From - mail\n");
    if (std::string_view(name) != "LOG.mbx.0000fade.tmp") {
      fs::last_write_time(dir_.path() / name, anHourAgo);
    }
  }
  // A run that is still writing holds its file.
  const int held = ::open((dir_.path() / "LOG.mbx.12345678.tmp").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  EXPECT_EQ(RunCli({"LOG"}).status, 0);
  ::close(held);
  EXPECT_EQ(DirectoryNames(dir_.path()),
            (std::vector<std::string>{"LOG.MIX", "LOG.TXT", "LOG.mbx", "LOG.mbx.0000fade.tmp",
                                      "LOG.mbx.12345678.tmp", "LOG.mbx.backup.tmp",
                                      "OTHER.mbx.0badcafe.tmp"}));
}

TEST_F(FailureInjectionTest, LinksAtTheMailboxAreReplacedNeverWrittenThrough) {
  const MailLogBuilder log = ManyMails(2);
  log.WriteFiles(dir_.path() / "LOG");
  ASSERT_EQ(RunCli({"LOG"}).status, 0);
  const std::string mailbox = Mailbox("LOG.mbx");
  WriteFileBytes(dir_.path() / "other", "precious");
  const std::function<void(const fs::path&)> links[] = {
      [&](const fs::path& at) { fs::create_symlink(dir_.path() / "other", at); },
      [&](const fs::path& at) { fs::create_symlink("LOG.MIX", at); },
      [&](const fs::path& at) { fs::create_hard_link(dir_.path() / "LOG.TXT", at); },
  };
  for (const auto& link : links) {
    fs::remove(dir_.path() / "LOG.mbx");
    link(dir_.path() / "LOG.mbx");
    EXPECT_EQ(RunCli({"LOG"}).status, 0);
    EXPECT_FALSE(fs::is_symlink(dir_.path() / "LOG.mbx"));
    EXPECT_EQ(Mailbox("LOG.mbx"), mailbox);
    EXPECT_EQ(Mailbox("other"), "precious");
    EXPECT_EQ(Mailbox("LOG.MIX"), log.IndexBytes());
    EXPECT_EQ(Mailbox("LOG.TXT"), log.TextBytes());
  }
}

TEST_F(FailureInjectionTest, TwoRunsAtOnceLeaveOneCompleteMailbox) {
  const MailLogBuilder log = ManyMails(kPipedMails);
  log.WriteFiles(dir_.path() / "LOG");
  std::vector<std::string> forms;
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--original", "LOG"}, std::vector<std::string>{"LOG"}}) {
    ASSERT_EQ(RunCli(arguments).status, 0);
    forms.push_back(Mailbox("LOG.mbx"));
  }
  // The first run waits for its text while the second runs from start to end.
  const PipedRun first = StartPipedRun({"--original", "LOG"});
  ASSERT_TRUE(first.writing);
  WriteFileBytes(dir_.path() / "LOG.TXT.new", log.TextBytes());
  fs::rename(dir_.path() / "LOG.TXT.new", dir_.path() / "LOG.TXT");
  EXPECT_EQ(RunCli({"LOG"}).status, 0);
  EXPECT_EQ(FinishPipedRun(first, log.TextBytes()).status, 0);
  const std::string mailbox = Mailbox("LOG.mbx");
  EXPECT_TRUE(mailbox == forms[0] || mailbox == forms[1]);
  EXPECT_EQ(DirectoryNames(dir_.path()),
            (std::vector<std::string>{"LOG.MIX", "LOG.TXT", "LOG.mbx"}));
}

TEST_F(FailureInjectionTest, ClosedStandardStreamsNeverLeadIntoTheMailbox) {
  ManyMails(1).AddMail(9, "Desk\r\n").WriteFiles(dir_.path() / "LOG");
  const CliRun run = RunCli({"LOG"}, [] {
    for (const int descriptor : {0, 1, 2}) {
      ::close(descriptor);
    }
  });
  EXPECT_EQ(run.status, kExitIncomplete);
  const std::string mailbox = Mailbox("LOG.mbx");
  EXPECT_TRUE(mailbox.starts_with("From - ")) << mailbox;
  EXPECT_EQ(mailbox.find("mixconv-cli"), std::string::npos) << mailbox;
}

TEST_F(FailureInjectionTest, TheMailboxIsReadableByItsOwnerOnly) {
  ManyMails(1).WriteFiles(dir_.path() / "LOG");
  fs::permissions(dir_.path() / "LOG.TXT", fs::perms::owner_read | fs::perms::owner_write);
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(RunCli({"LOG"}, [] { ::umask(022); }).status, 0);
    EXPECT_EQ(fs::status(dir_.path() / "LOG.mbx").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    // The second run replaces a mailbox that everyone could read.
    fs::permissions(dir_.path() / "LOG.mbx", fs::perms::others_read | fs::perms::group_read,
                    fs::perm_options::add);
  }
}

TEST_F(FailureInjectionTest, AReportThatCannotBeWrittenFailsTheRun) {
  ManyMails(1).WriteFiles(dir_.path() / "LOG");
  const CliRun run = RunCli({"LOG"}, [] { ::dup2(::open("/dev/full", O_WRONLY), 1); });
  EXPECT_EQ(run.status, kExitIncomplete);
  EXPECT_EQ(run.err, "mixconv-cli: standard output: write error.\n");
}

// `mixconv-cli A B | head -n1`: the lines are lost, the mail is not.
TEST_F(FailureInjectionTest, AClosedPipeStopsTheLinesNotTheConversion) {
  ManyMails(3).WriteFiles(dir_.path() / "A");
  ManyMails(2).WriteFiles(dir_.path() / "B");
  const CliRun run = RunCli({"A.MIX", "B.MIX"}, [] {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0 || ::dup2(pipeEnds[1], 1) < 0) {
      ::_exit(126);
    }
    ::close(pipeEnds[0]);
  });
  EXPECT_EQ(run.status, kExitIncomplete);
  EXPECT_EQ(run.err, "mixconv-cli: standard output: write error.\n");
  EXPECT_EQ(CountSeparators(Mailbox("A.mbx")), 3U);
  EXPECT_EQ(CountSeparators(Mailbox("B.mbx")), 2U);
}

// Another user watching the folder opens no file of the run, at any moment.
TEST_F(FailureInjectionTest, EveryFileOfTheRunIsOwnerOnlyFromItsStart) {
  constexpr int kRuns = 50;
  ManyMails(1).WriteFiles(dir_.path() / "LOG");
  fs::permissions(dir_.path(), kReadAndSearch | fs::perms::owner_write);
  FolderWatcher watcher(dir_.path(), O_RDONLY);
  for (int run = 0; run < kRuns; ++run) {
    EXPECT_EQ(RunCli({"LOG"}, [] { ::umask(022); }).status, 0);
  }
  std::size_t present = 0;
  for (const SeenEntry& entry : watcher.Stop()) {
    EXPECT_FALSE(entry.openedByOtherUser) << entry.name;
    if (fs::exists(entry.status)) {
      ++present;
      EXPECT_EQ(entry.status.permissions(), fs::perms::owner_read | fs::perms::owner_write)
          << entry.name;
    }
  }
  // Each run's mailbox at least was seen arriving.
  EXPECT_GE(present, static_cast<std::size_t>(kRuns));
}

// Where the mailbox cannot go, the mails go beside it under another name.
TEST_F(FailureInjectionTest, MailsThatCannotBePutInPlaceAreKeptAndNamed) {
  const struct {
    const char* blocked;  // a directory here
    int mails;            // a damaged mail after them stops the run
    bool damaged;
  } cases[] = {{"LOG.mbx", 3, false}, {"LOG.partial.mbx", 2, true}};
  for (const auto& [blocked, mails, damaged] : cases) {
    MailLogBuilder log = ManyMails(mails);
    if (damaged) {
      ManyMails(1).WriteFiles(dir_.path() / "LOG");
      ASSERT_EQ(RunCli({"LOG"}).status, 0);
      log.AddMail(9, "Desk\r\n");
    }
    log.WriteFiles(dir_.path() / "LOG");
    fs::create_directory(dir_.path() / blocked);
    const CliRun run = RunCli({"LOG"});
    EXPECT_EQ(run.status, kExitIncomplete) << blocked;
    EXPECT_NE(run.err.find(std::string("mixconv-cli: ") + blocked +
                           " file write error; the mails converted are in LOG.1.mbx.\n"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(run.out.ends_with("convert " + std::to_string(mails) + "/" +
                                  std::to_string(mails + (damaged ? 1 : 0)) + " mail\n"))
        << run.out;
    EXPECT_EQ(CountSeparators(Mailbox("LOG.1.mbx")), static_cast<std::size_t>(mails) + damaged);
    fs::remove_all(dir_.path());
    fs::create_directory(dir_.path());
  }
}

// The temporary name never makes a name that fits too long.
TEST_F(FailureInjectionTest, ALogWhoseMailboxNameFitsConverts) {
  const std::string base(247, 'L');
  ManyMails(2).WriteFiles(dir_.path() / base);
  for (int run = 0; run < 2; ++run) {  // the second replaces the first's mailbox
    const CliRun converted = RunCli({base});
    EXPECT_EQ(converted.status, 0) << converted.err;
    EXPECT_EQ(CountSeparators(Mailbox(base + ".mbx")), 2U);
  }
}

// A run that fails at once and one that converts everything, started together:
// the complete mailbox is the one in place, whichever run ends first.
TEST_F(FailureInjectionTest, AFailingRunNeverReplacesACompleteOne) {
  constexpr int kRounds = 100;
  ManyMails(20).WriteFiles(dir_.path() / "LOG");
  ASSERT_EQ(RunCli({"LOG"}).status, 0);
  const std::string complete = Mailbox("LOG.mbx");
  for (int round = 0; round < kRounds; ++round) {
    fs::remove(dir_.path() / "LOG.mbx");
    fs::remove(dir_.path() / "LOG.partial.mbx");
    const Child failing = StartCli({"LOG"}, [] {
      const rlimit full{0, 0};
      ::setrlimit(RLIMIT_FSIZE, &full);
    });
    const Child whole = StartCli({"LOG"});
    EXPECT_EQ(Wait(whole).status, 0);
    EXPECT_EQ(Wait(failing).status, kExitIncomplete);
    ASSERT_EQ(Mailbox("LOG.mbx"), complete) << "round " << round;
  }
}

// As the original converter did: a mailbox its user may not write stays as it is.
TEST_F(FailureInjectionTest, AWriteProtectedMailboxIsRefused) {
  ManyMails(2).WriteFiles(dir_.path() / "LOG");
  WriteFileBytes(dir_.path() / "LOG.mbx", "From - kept\n");
  fs::permissions(dir_.path() / "LOG.mbx",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const CliRun run = RunCli({"LOG"});
  EXPECT_EQ(run.status, kExitIncomplete);
  EXPECT_EQ(run.err, "mixconv-cli: LOG.mbx file open failed.\n");
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(Mailbox("LOG.mbx"), "From - kept\n");
  EXPECT_EQ(DirectoryNames(dir_.path()),
            (std::vector<std::string>{"LOG.MIX", "LOG.TXT", "LOG.mbx"}));
}

// A recipient list of 1 MB of commas becomes a To line of 20 MB.
TEST_F(FailureInjectionTest, AHeaderLineOfAnyLengthNeedsLittleMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's shadow memory counts against the limit";
#else
  constexpr rlim_t kMemoryLimit = 64 * 1024 * 1024;
  constexpr std::size_t kCommas = 1'000'000;
  MailLogBuilder()
      .AddMail(kind::kSent, "Desk\r\nTO:" + std::string(kCommas, ',') + "\r\nSUB:S\r\n")
      .WriteFiles(dir_.path() / "LONG");
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--original", "LONG"}, std::vector<std::string>{"LONG"}}) {
    const CliRun run = RunCli(arguments, [] {
      const rlimit limit{kMemoryLimit, kMemoryLimit};
      ::setrlimit(RLIMIT_DATA, &limit);
    });
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string mailbox = Mailbox("LONG.mbx");
    std::size_t addresses = 0;
    for (std::size_t at = mailbox.find("@members.example.jp"); at != std::string::npos;
         at = mailbox.find("@members.example.jp", at + 1)) {
      ++addresses;
    }
    EXPECT_EQ(addresses, kCommas);
  }
#endif
}

}  // namespace
}  // namespace mixconv::testing
