// mixconv-cli --eml and --maildir as a user runs them, and when runs stop,
// fail, or find something in the way: each run is a child process, each case
// is checked for both folders.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <regex>
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
constexpr std::uint8_t kUnknownKind = 9;
constexpr std::int32_t kJune14 = 992503440;  // 2001-06-14 16:24 in Japan
constexpr std::int32_t kHour = 3600;
constexpr fs::perms kOwnerFolder = fs::perms::owner_all;
constexpr fs::perms kOwnerFile = fs::perms::owner_read | fs::perms::owner_write;

struct FolderKind {
  const char* option;
  std::string extension;  // of the folder
  fs::path messages;      // where its mail files are, in it
  std::string name;       // what a mail file's name must match; $1 is its number
  std::string_view lineEnd;
};

const FolderKind kFolderKinds[] = {
    {"--eml", ".eml-files", ".", R"((\d{10}) \d{4}-\d\d-\d\d \d{4} Mail \d+\.eml)", "\r\n"},
    {"--maildir", ".maildir", "cur", R"(\d{10}\.M(\d{10})P[0-9a-f]{8}\.mixconv:2,S)", "\n"},
};

std::int32_t MailTime(int mail) { return kJune14 + mail * kHour; }

// A sent mail with the subject "Mail N", dated N hours after the first.
MailLogBuilder& AddMail(MailLogBuilder& log, int mail, std::size_t bodyBytes = 10) {
  return log.AddMail(kind::kSent,
                     CrLfLines({"Desk", "TO:ABC", "SUB:Mail " + std::to_string(mail),
                                std::string(bodyBytes, 'x'), "end"}),
                     MailTime(mail));
}

MailLogBuilder Mails(int count, std::size_t bodyBytes = 10) {
  MailLogBuilder log;
  for (int mail = 1; mail <= count; ++mail) {
    AddMail(log, mail, bodyBytes);
  }
  return log;
}

// Every line ends in lineEnd, and no CR stands elsewhere.
bool EveryLineEndsIn(const std::string& text, std::string_view lineEnd) {
  const bool crLf = lineEnd == "\r\n";
  std::size_t lines = 0;
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    if (crLf != (at > 0 && text[at - 1] == '\r')) {
      return false;
    }
    ++lines;
  }
  return text.ends_with(lineEnd) &&
         static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r')) == (crLf ? lines : 0);
}

std::string Subject(const std::string& message) {
  const std::size_t start = message.find("Subject: ") + 9;
  return message.substr(start, message.find_first_of("\r\n", start) - start);
}

std::int32_t ModificationTime(const fs::path& path) {
  struct stat status {};
  ::stat(path.c_str(), &status);
  return static_cast<std::int32_t>(status.st_mtime);
}

// A name that Windows, macOS and Linux all take.
bool IsPortableName(const std::string& name) {
  const bool reservedCharacter = name.find_first_of("<>:\"/\\|?*") != std::string::npos;
  const bool control = std::any_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x20; });
  return !name.empty() && name.size() <= 255 && !reservedCharacter && !control &&
         name.back() != '.' && name.back() != ' ';
}

class FolderDestinationsTest : public ::testing::Test {
 protected:
  FolderDestinationsTest() { std::signal(SIGPIPE, SIG_IGN); }

  Child StartCli(
      const std::vector<std::string>& arguments, const std::function<void()>& setUp = [] {}) {
    const std::string run = std::to_string(++runs_);
    return StartChild(MIXCONV_CLI_PATH, dir_.path(),
                      {-1, scratch_.path() / ("out" + run), scratch_.path() / ("err" + run)},
                      arguments, [&] {
                        ::setenv("TZ", "JST-9", 1);
                        ::umask(022);
                        setUp();
                      });
  }

  CliRun RunCli(
      const std::vector<std::string>& arguments, const std::function<void()>& setUp = [] {}) {
    return WaitForExit(StartCli(arguments, setUp));
  }

  fs::path Path(const std::string& name) const { return dir_.path() / name; }

  // The mail files of the folder, in the order of their names.
  std::vector<fs::path> MailFiles(const std::string& folder, const FolderKind& destination) const {
    std::vector<fs::path> files;
    for (const std::string& name : DirectoryNames(Path(folder) / destination.messages)) {
      if (fs::is_regular_file(Path(folder) / destination.messages / name)) {
        files.push_back(Path(folder) / destination.messages / name);
      }
    }
    return files;
  }

  // The run's unfinished folder, once it holds a mail file.
  bool SawFolderBeingWritten(const FolderKind& destination) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      for (const std::string& name : DirectoryNames(dir_.path())) {
        if (name.starts_with("LOG" + destination.extension + ".") && name.ends_with(".tmp") &&
            !MailFiles(name, destination).empty()) {
          return true;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }

  void Clear() {
    fs::remove_all(dir_.path());
    fs::create_directory(dir_.path());
  }

  TempDir dir_;
  TempDir scratch_;  // the children's streams
  int runs_ = 0;
};

// Mail 3 is binary: the names number the mails by their place in the index.
TEST_F(FolderDestinationsTest, ACompleteRunPutsOneOwnerOnlyDatedFilePerMailInPlace) {
  const int converted[] = {1, 2, 4, 5, 6};
  MailLogBuilder log = Mails(2);
  log.AddMail(kind::kBinary, "data", MailTime(3));
  for (const int mail : {4, 5, 6}) {
    AddMail(log, mail);
  }
  for (const FolderKind& destination : kFolderKinds) {
    log.WriteFiles(Path("LOG"));
    const CliRun run = RunCli({destination.option, "LOG"});
    EXPECT_EQ(run.status, 0) << destination.option << ": " << run.err;
    EXPECT_EQ(run.err, "") << destination.option;
    EXPECT_EQ(run.out, "skip one binary mail.\nconvert 5/6 mail\n") << destination.option;
    const std::string folder = "LOG" + destination.extension;
    EXPECT_EQ(DirectoryNames(dir_.path()),
              (std::vector<std::string>{"LOG.MIX", "LOG.TXT", folder}));
    EXPECT_EQ(fs::status(Path(folder)).permissions(), kOwnerFolder) << destination.option;

    const std::vector<fs::path> files = MailFiles(folder, destination);
    ASSERT_EQ(files.size(), std::size(converted)) << destination.option;
    const std::regex pattern(destination.name);
    for (std::size_t i = 0; i < files.size(); ++i) {
      const int mail = converted[i];
      const std::string name = files[i].filename().string();
      std::smatch match;
      ASSERT_TRUE(std::regex_match(name, match, pattern)) << name;
      EXPECT_EQ(std::stoi(match[1]), mail) << name;
      EXPECT_EQ(fs::status(files[i]).permissions(), kOwnerFile) << name;
      EXPECT_EQ(ModificationTime(files[i]), MailTime(mail)) << name;
      const std::string message = ReadFileBytes(files[i]);
      EXPECT_EQ(Subject(message), "Mail " + std::to_string(mail)) << name;
      EXPECT_TRUE(EveryLineEndsIn(message, destination.lineEnd)) << name;
    }
    if (destination.messages == ".") {
      EXPECT_EQ(files[0].filename(), "0000000001 2001-06-14 1724 Mail 1.eml");
      for (const fs::path& file : files) {
        EXPECT_TRUE(IsPortableName(file.filename().string())) << file;
      }
    } else {
      EXPECT_EQ(std::stol(files[2].filename().string().substr(0, 10)), MailTime(4));
      for (const char* subfolder : {"cur", "new", "tmp"}) {
        EXPECT_EQ(fs::status(Path(folder) / subfolder).permissions(), kOwnerFolder) << subfolder;
      }
      EXPECT_TRUE(fs::is_empty(Path(folder) / "new"));
      EXPECT_TRUE(fs::is_empty(Path(folder) / "tmp"));
    }
    Clear();
  }
}

// Nothing is merged into what is at the folder's name, nor written through it.
TEST_F(FolderDestinationsTest, WhatIsAtTheFolderStaysAndTheNewFolderGoesBeside) {
  const struct {
    const char* what;
    std::function<void(const fs::path& at, const fs::path& elsewhere)> make;
  } earlier[] = {
      {"an earlier folder",
       [](const fs::path& at, const fs::path&) {
         fs::create_directory(at);
         WriteFileBytes(at / "kept", "earlier");
       }},
      {"an empty folder", [](const fs::path& at, const fs::path&) { fs::create_directory(at); }},
      {"a file", [](const fs::path& at, const fs::path&) { WriteFileBytes(at, "earlier"); }},
      {"a link to a folder",
       [](const fs::path& at, const fs::path& elsewhere) {
         fs::create_directory_symlink(elsewhere, at);
       }},
      {"a link to nothing",
       [](const fs::path& at, const fs::path&) { fs::create_directory_symlink("missing", at); }},
  };
  for (const FolderKind& destination : kFolderKinds) {
    for (const auto& [what, make] : earlier) {
      Mails(2).WriteFiles(Path("LOG"));
      const fs::path at = Path("LOG" + destination.extension);
      fs::create_directory(Path("elsewhere"));
      make(at, Path("elsewhere"));
      const auto snapshot = [&] {
        return std::pair{fs::symlink_status(at).type(),
                         fs::is_symlink(at)     ? fs::read_symlink(at).string()
                         : fs::is_directory(at) ? DirectoryNames(at).size() == 1 ? "kept" : ""
                                                : ReadFileBytes(at)};
      };
      const auto before = snapshot();
      for (const char* beside : {"LOG.2", "LOG.3"}) {
        const CliRun run = RunCli({destination.option, "LOG"});
        EXPECT_EQ(run.status, kExitIncomplete) << what;
        EXPECT_EQ(run.err, "mixconv-cli: " + at.filename().string() +
                               " is left as it was; the mails converted are in " + beside +
                               destination.extension + ".\n")
            << what;
        EXPECT_EQ(run.out, "convert 2/2 mail\n") << what;
        EXPECT_EQ(MailFiles(beside + destination.extension, destination).size(), 2U) << what;
      }
      EXPECT_EQ(snapshot(), before) << what;
      EXPECT_TRUE(fs::is_empty(Path("elsewhere"))) << what;
      Clear();
    }
  }
}

// Whole mails only, as many as the summary counts, under a name that says so.
TEST_F(FolderDestinationsTest, ARunThatStopsEarlyKeepsItsWholeMailsAndSaysWhere) {
  constexpr rlim_t kFileSizeLimit = 16 * 1024;
  const struct {
    const char* what;
    MailLogBuilder log;
    std::function<void()> setUp;
    const char* error;
    const char* summary;
    std::size_t kept;
  } cases[] = {
      {"unknown kind after three mails", Mails(3).AddMail(kUnknownKind, "Desk\r\n"), [] {},
       "mixconv-cli: unknown mail kind 09 !! ABORT...\n", "convert 3/4 mail\n", 3},
      {"a mail larger than the file size limit",
       Mails(2).AddMail(kind::kSent, CrLfLines({"Desk", "TO:ABC", "SUB:big",
                                                std::string(2 * kFileSizeLimit, 'x')})),
       [] {
         const rlimit limit{kFileSizeLimit, kFileSizeLimit};
         ::setrlimit(RLIMIT_FSIZE, &limit);
       },
       "mixconv-cli: file write error.\n", "convert 2/3 mail\n", 2},
  };
  for (const FolderKind& destination : kFolderKinds) {
    for (const auto& [what, log, setUp, error, summary, kept] : cases) {
      log.WriteFiles(Path("LOG"));
      for (const char* partial : {"LOG.partial", "LOG.partial.2"}) {
        const CliRun run = RunCli({destination.option, "LOG"}, setUp);
        EXPECT_EQ(run.status, kExitIncomplete) << what;
        EXPECT_EQ(run.err, std::string(error) +
                               "mixconv-cli: the run stopped early; the mails it converted (" +
                               std::to_string(kept) + ") are in " + partial +
                               destination.extension + ".\n")
            << what;
        EXPECT_EQ(run.out, summary) << what;
        const std::vector<fs::path> files = MailFiles(partial + destination.extension, destination);
        ASSERT_EQ(files.size(), kept) << what;
        for (const fs::path& file : files) {
          EXPECT_TRUE(ReadFileBytes(file).ends_with("end" + std::string(destination.lineEnd)))
              << file;
        }
      }
      EXPECT_FALSE(fs::exists(Path("LOG" + destination.extension))) << what;
      Clear();
    }
  }
}

// The run's descriptors run out where the folder opens, or its first file: a
// line says what failed, and what the run kept.
TEST_F(FolderDestinationsTest, AFolderOrFileThatCannotBeOpenedIsReported) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers' runtime opens descriptors of its own";
#else
  // Standard streams, index and text file: the folder's descriptor is the next.
  constexpr rlim_t kFolderDescriptor = 5;
  const struct {
    const char* what;
    rlim_t descriptors;
    std::string err;  // after "mixconv-cli: "
    const char* out;
    const char* folder;  // what the run left beside the log
  } cases[] = {
      {"the folder", kFolderDescriptor, "LOG$ folder open failed.\n", "", nullptr},
      {"its first file", kFolderDescriptor + 1,
       "file write error.\nmixconv-cli: the run stopped early; the mails it converted (0) are in "
       "LOG.partial$.\n",
       "convert 0/2 mail\n", "LOG.partial$"},
  };
  for (const FolderKind& destination : kFolderKinds) {
    for (const auto& [what, descriptors, err, out, folder] : cases) {
      const auto named = [&](std::string text) {
        return text.replace(text.find('$'), 1, destination.extension);
      };
      Mails(2).WriteFiles(Path("LOG"));
      const CliRun run = RunCli({destination.option, "LOG"}, [descriptors = descriptors] {
        ::close_range(3, ~0U, 0);
        const rlimit limit{descriptors, descriptors};
        ::setrlimit(RLIMIT_NOFILE, &limit);
      });
      EXPECT_EQ(run.status, kExitIncomplete) << what;
      EXPECT_EQ(run.err, "mixconv-cli: " + named(err)) << what;
      EXPECT_EQ(run.out, out) << what;
      std::vector<std::string> left = {"LOG.MIX", "LOG.TXT"};
      if (folder != nullptr) {
        left.push_back(named(folder));
        EXPECT_TRUE(MailFiles(named(folder), destination).empty()) << what;
      }
      EXPECT_EQ(DirectoryNames(dir_.path()), left) << what;
      Clear();
    }
  }
#endif
}

// Signals that stop a process take the unfinished folder with them; one that a
// killed run left goes with the next run of the same log.
TEST_F(FolderDestinationsTest, AStoppedRunLeavesNoFolderAndAKilledRunsFolderGoesNextTime) {
  constexpr int kMails = 1000;
  const MailLogBuilder log = Mails(kMails, 200);
  for (const FolderKind& destination : kFolderKinds) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
      log.WriteFiles(Path("LOG"));
      fs::remove(Path("LOG.TXT"));
      ASSERT_EQ(::mkfifo(Path("LOG.TXT").c_str(), 0600), 0);
      const Child child = StartCli({destination.option, "LOG"});
      const int text = ::open(Path("LOG.TXT").c_str(), O_WRONLY);
      const std::string half = log.TextBytes().substr(0, log.TextBytes().size() / 2);
      EXPECT_EQ(::write(text, half.data(), half.size()), static_cast<ssize_t>(half.size()));
      ASSERT_TRUE(SawFolderBeingWritten(destination)) << signal << ": never saw the run write";
      ::kill(child.pid, signal);
      EXPECT_EQ(WaitForSignal(child), signal);
      ::close(text);
      std::vector<std::string> names = DirectoryNames(dir_.path());
      if (signal == SIGKILL) {
        ASSERT_EQ(names.size(), 3U);
        EXPECT_TRUE(names[2].starts_with("LOG" + destination.extension + ".")) << names[2];
        fs::last_write_time(Path(names[2]),
                            fs::file_time_type::clock::now() - std::chrono::hours(1));
        fs::remove(Path("LOG.TXT"));
        log.WriteFiles(Path("LOG"));
        EXPECT_EQ(RunCli({destination.option, "LOG"}).status, 0);
        names = DirectoryNames(dir_.path());
        EXPECT_EQ(names,
                  (std::vector<std::string>{"LOG.MIX", "LOG.TXT", "LOG" + destination.extension}));
      } else {
        EXPECT_EQ(names, (std::vector<std::string>{"LOG.MIX", "LOG.TXT"})) << signal;
      }
      Clear();
    }
  }
}

// Folders that killed runs left: those that have settled and that no process
// holds go, with everything in them; nothing else does, and no link is followed.
TEST_F(FolderDestinationsTest, FoldersLeftByKilledRunsAreRemovedUnlessHeld) {
  for (const FolderKind& destination : kFolderKinds) {
    Mails(1).WriteFiles(Path("LOG"));
    const std::string stem = "LOG" + destination.extension;
    fs::create_directory(Path("target"));
    WriteFileBytes(Path("target") / "precious", "kept");
    const auto anHourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const std::string& name :
         {stem + ".0badcafe.tmp", stem + ".12345678.tmp", stem + ".0000fade.tmp",
          stem + ".backup.tmp", "OTHER" + destination.extension + ".0badcafe.tmp"}) {
      fs::create_directories(Path(name) / "cur");
      WriteFileBytes(Path(name) / "cur" / "mail", "Subject: left\n");
      if (name != stem + ".0000fade.tmp") {
        fs::last_write_time(Path(name), anHourAgo);
      }
    }
    fs::create_directory_symlink("target", Path(stem + ".1badcafe.tmp"));
    // A run that is still building its folder holds it.
    const int held = ::open(Path(stem + ".12345678.tmp").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_EQ(RunCli({destination.option, "LOG"}).status, 0);
    ::close(held);
    std::vector<std::string> kept = {"LOG.MIX",
                                     "LOG.TXT",
                                     "OTHER" + destination.extension + ".0badcafe.tmp",
                                     stem,
                                     stem + ".0000fade.tmp",
                                     stem + ".12345678.tmp",
                                     stem + ".1badcafe.tmp",
                                     stem + ".backup.tmp",
                                     "target"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(DirectoryNames(dir_.path()), kept);
    EXPECT_EQ(ReadFileBytes(Path("target") / "precious"), "kept");
    Clear();
  }
}

// Another user watching the log's folder opens nothing of a run, at any moment.
TEST_F(FolderDestinationsTest, EveryFolderOfTheRunIsOwnerOnlyFromItsStart) {
  constexpr int kRuns = 10;
  fs::permissions(dir_.path(), fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
  // A folder anyone may read, which the watcher must be able to open.
  const std::string control = "control";
  FolderWatcher watcher(dir_.path(), O_RDONLY | O_DIRECTORY);
  Mails(1).WriteFiles(Path("LOG"));
  fs::create_directory(Path(control));
  for (const FolderKind& destination : kFolderKinds) {
    for (int run = 0; run < kRuns; ++run) {
      EXPECT_EQ(RunCli({destination.option, "LOG"}, [] { ::umask(0); }).status, 0);
      fs::remove_all(Path("LOG" + destination.extension));
    }
  }
  int controlOpened = 0;
  std::size_t folders = 0;
  for (const SeenEntry& entry : watcher.Stop()) {
    if (entry.name == control) {
      controlOpened += entry.openedByOtherUser ? 1 : 0;
      continue;
    }
    EXPECT_FALSE(entry.openedByOtherUser) << entry.name;
    if (fs::is_directory(entry.status)) {
      ++folders;
      EXPECT_EQ(entry.status.permissions(), kOwnerFolder) << entry.name;
    }
  }
  EXPECT_EQ(controlOpened, ::geteuid() == 0 ? 1 : 0);
  // Each run's folder at least was seen arriving.
  EXPECT_GE(folders, static_cast<std::size_t>(2 * kRuns));
}

}  // namespace
}  // namespace mixconv::testing
