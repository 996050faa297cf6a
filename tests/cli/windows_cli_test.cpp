// mixconv-cli.exe as a Windows user runs it: a process of its own, Japanese
// names and paths whatever the system's code page, the Linux program's mailboxes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/conversion_harness.h"

namespace mixconv::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kExitIncomplete = 1;
constexpr int kExitUsage = 2;
constexpr std::uint8_t kUnknownKind = 9;
constexpr char kEarlierMailbox[] = "From - an earlier run\r\n";

fs::path Utf8Path(std::string_view utf8) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

// Beside this test program, as the build lays them out.
fs::path BuildDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return fs::path(path).parent_path();
}

std::wstring Quoted(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  for (const wchar_t c : argument) {
    quoted += c == L'"' ? std::wstring(L"\\\"") : std::wstring(1, c);
  }
  return quoted + L"\"";
}

HANDLE CreateOutputFile(const fs::path& path) {
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::vector<std::string> DirectoryNames(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

MailLogBuilder OneMail() {
  return MailLogBuilder().AddMail(kind::kSent, "Desk\r\nTO:ABC\r\nSUB:Minutes\r\nHello\r\n");
}

// Open as a mail reader may hold a mailbox: others may read and write it, but
// neither delete nor rename it, nor move another file over it.
class HeldFile {
 public:
  explicit HeldFile(const fs::path& path)
      : handle_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~HeldFile() {
    if (IsOpen()) {
      CloseHandle(handle_);
    }
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Open as a running conversion holds the folder it builds: no one else may
// delete or rename it.
class HeldFolder {
 public:
  explicit HeldFolder(const fs::path& path)
      : handle_(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
  ~HeldFolder() {
    if (IsOpen()) {
      CloseHandle(handle_);
    }
  }
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Seconds since 1970 of a file's modification time.
long long ModificationTime(const fs::path& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  const long long units = (static_cast<long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                          data.ftLastWriteTime.dwLowDateTime;
  return units / 10000000LL - 11644473600LL;
}

// An hour old, as what a killed run left would be; std::filesystem cannot
// date a folder here.
void MakeAnHourOld(const fs::path& folder) {
  const HANDLE handle = CreateFileW(folder.c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER units{{now.dwLowDateTime, now.dwHighDateTime}};
  units.QuadPart -= 3600ULL * 10000000ULL;
  const FILETIME anHourAgo{units.LowPart, units.HighPart};
  ASSERT_TRUE(SetFileTime(handle, nullptr, nullptr, &anHourAgo)) << folder;
  CloseHandle(handle);
}

std::vector<std::string> Utf8Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::u8string name = entry.path().filename().u8string();
    names.emplace_back(name.begin(), name.end());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class WindowsCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"TZ", L"JST-9");
    for (const char* file : {"SAMPLE.MIX", "SAMPLE.TXT"}) {
      fs::copy_file(Samples() / file, dir_.path() / file);
    }
  }

  static fs::path Samples() { return BuildDirectory() / "samples"; }

  // Runs mixconv-cli.exe in dir; arguments are UTF-8. Its streams go to files
  // elsewhere, so that dir holds only what the run left.
  CliRun RunCliIn(const fs::path& dir, const std::vector<std::string>& arguments) const {
    const fs::path program = BuildDirectory().parent_path() / "cli" / "mixconv-cli.exe";
    std::wstring commandLine = Quoted(program.wstring());
    for (const std::string& argument : arguments) {
      commandLine += L" " + Quoted(Utf8Path(argument).wstring());
    }
    const fs::path out = streams_.path() / "out.txt";
    const fs::path err = streams_.path() / "err.txt";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = CreateOutputFile(out);
    startup.hStdError = CreateOutputFile(err);
    PROCESS_INFORMATION process{};
    CliRun run;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(),
                       &startup, &process)) {
      WaitForSingleObject(process.hProcess, INFINITE);
      DWORD status = 0;
      GetExitCodeProcess(process.hProcess, &status);
      run.status = static_cast<int>(status);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    run.out = ReadFileBytes(out);
    run.err = ReadFileBytes(err);
    return run;
  }

  CliRun RunCli(const std::vector<std::string>& arguments) const {
    return RunCliIn(dir_.path(), arguments);
  }

  // A directory of its own holding log as LOG.MIX and LOG.TXT.
  fs::path LogDirectory(const std::string& name, const MailLogBuilder& log) const {
    const fs::path dir = dir_.path() / name;
    fs::create_directory(dir);
    log.WriteFiles(dir / "LOG");
    return dir;
  }

  TempDir dir_;
  TempDir streams_;
};

TEST_F(WindowsCliTest, SampleLogGivesTheLinuxProgramsMailboxesInBothForms) {
  const struct {
    std::vector<std::string> form;
    const char* golden;
  } forms[] = {{{"--original"}, "SAMPLE.expected.mbx"}, {{}, "SAMPLE.utf8.expected.mbx"}};
  for (const auto& [form, golden] : forms) {
    std::vector<std::string> arguments = form;
    arguments.insert(arguments.end(),
                     {"--name", "山田 太郎", "--email", "taro@example.jp", "SAMPLE.MIX"});
    const CliRun run = RunCli(arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "skip one binary mail.\r\nconvert 5/6 mail\r\n");
    EXPECT_EQ(ReadFileBytes(dir_.path() / "SAMPLE.mbx"), ReadFileBytes(Samples() / golden))
        << golden;
  }
}

TEST_F(WindowsCliTest, JapaneseFolderAndFileNamesConvertBesideTheLog) {
  const fs::path folder = dir_.path() / Utf8Path("ログ");
  fs::create_directory(folder);
  fs::rename(dir_.path() / "SAMPLE.MIX", folder / Utf8Path("メール.MIX"));
  fs::rename(dir_.path() / "SAMPLE.TXT", folder / Utf8Path("メール.TXT"));
  const CliRun run = RunCli(
      {"--original", "--name", "山田 太郎", "--email", "taro@example.jp", "ログ\\メール.MIX"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(folder / Utf8Path("メール.mbx")),
            ReadFileBytes(Samples() / "SAMPLE.expected.mbx"));
}

// Redirected to a file, messages are UTF-8 text with Windows' line ends.
TEST_F(WindowsCliTest, MissingFilesAndUsageErrorsAreReported) {
  const CliRun missing = RunCli({"無い.MIX"});
  EXPECT_EQ(missing.status, kExitIncomplete);
  EXPECT_EQ(missing.err, "mixconv-cli: 無い.MIX file open failed.\r\n");
  const CliRun unknown = RunCli({"--colour", "SAMPLE"});
  EXPECT_EQ(unknown.status, kExitUsage);
  EXPECT_EQ(unknown.err,
            "mixconv-cli: unknown option '--colour'\r\nTry 'mixconv-cli --help' for more "
            "information.\r\n");
  EXPECT_EQ(RunCli({}).status, kExitUsage);
  const CliRun emoji = RunCli({"--name", "smile 😀", "SAMPLE"});
  EXPECT_EQ(emoji.status, kExitUsage);
  EXPECT_NE(emoji.err.find("U+1F600, which has no Shift_JIS form"), std::string::npos) << emoji.err;
  EXPECT_FALSE(fs::exists(dir_.path() / "SAMPLE.mbx"));
}

// Windows will not move a file over a read-only one (wine will): the run
// refuses it before it converts anything, rather than after.
TEST_F(WindowsCliTest, ReadOnlyMailboxIsRefusedAndKeptAndAWritableOneReplaced) {
  const std::vector<std::string> arguments = {"--original", "--name",          "山田 太郎",
                                              "--email",    "taro@example.jp", "SAMPLE.MIX"};
  const fs::path mailbox = dir_.path() / "SAMPLE.mbx";
  WriteFileBytes(mailbox, kEarlierMailbox);
  ASSERT_TRUE(SetFileAttributesW(mailbox.c_str(), FILE_ATTRIBUTE_READONLY));
  const CliRun refused = RunCli(arguments);
  const DWORD attributes = GetFileAttributesW(mailbox.c_str());
  ASSERT_TRUE(SetFileAttributesW(mailbox.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(refused.status, kExitIncomplete);
  EXPECT_EQ(refused.err, "mixconv-cli: SAMPLE.mbx file open failed.\r\n");
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ReadFileBytes(mailbox), kEarlierMailbox);
  EXPECT_EQ(DirectoryNames(dir_.path()),
            (std::vector<std::string>{"SAMPLE.MIX", "SAMPLE.TXT", "SAMPLE.mbx"}));

  const CliRun replaced = RunCli(arguments);
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(ReadFileBytes(mailbox), ReadFileBytes(Samples() / "SAMPLE.expected.mbx"));
  EXPECT_EQ(DirectoryNames(dir_.path()),
            (std::vector<std::string>{"SAMPLE.MIX", "SAMPLE.TXT", "SAMPLE.mbx"}));
}

// A mailbox that cannot be put where it belongs keeps every converted mail in
// the first free NAME.N.mbx, and the file in the way stays as it was.
TEST_F(WindowsCliTest, MailsThatCannotBePutInPlaceGoToANumberedMailbox) {
  const struct {
    const char* what;
    MailLogBuilder log;
    bool holdMailbox;  // else a directory stands at LOG.partial.mbx
    const char* err;
    const char* out;
    std::vector<std::string> names;
  } cases[] = {
      {"mailbox held open",
       OneMail(),
       true,
       "mixconv-cli: LOG.mbx file write error; the mails converted are in LOG.1.mbx.\r\n",
       "convert 1/1 mail\r\n",
       {"LOG.1.mbx", "LOG.MIX", "LOG.TXT", "LOG.mbx"}},
      {"directory at the partial mailbox",
       OneMail().AddMail(kUnknownKind, "Desk\r\n"),
       false,
       "mixconv-cli: unknown mail kind 09 !! ABORT...\r\n"
       "mixconv-cli: LOG.partial.mbx file write error; the mails converted are in LOG.1.mbx.\r\n",
       "convert 1/2 mail\r\n",
       {"LOG.1.mbx", "LOG.MIX", "LOG.TXT", "LOG.mbx", "LOG.partial.mbx"}},
  };
  for (const auto& [what, log, holdMailbox, err, out, names] : cases) {
    const fs::path dir = LogDirectory(what, log);
    const fs::path mailbox = dir / "LOG.mbx";
    // What the run converts when nothing is in its way.
    RunCliIn(dir, {"LOG"});
    const std::string converted = ReadFileBytes(mailbox);
    ASSERT_TRUE(converted.starts_with("From - ")) << what << ": " << converted;
    WriteFileBytes(mailbox, kEarlierMailbox);
    std::optional<HeldFile> held;
    if (holdMailbox) {
      held.emplace(mailbox);
      ASSERT_TRUE(held->IsOpen()) << what;
    } else {
      fs::create_directory(dir / "LOG.partial.mbx");
    }
    const CliRun run = RunCliIn(dir, {"LOG"});
    held.reset();
    EXPECT_EQ(run.status, kExitIncomplete) << what;
    EXPECT_EQ(run.err, err) << what;
    EXPECT_EQ(run.out, out) << what;
    EXPECT_EQ(ReadFileBytes(dir / "LOG.1.mbx"), converted) << what;
    EXPECT_EQ(ReadFileBytes(mailbox), kEarlierMailbox) << what;
    EXPECT_EQ(DirectoryNames(dir), names) << what;
  }
}

TEST_F(WindowsCliTest, RunThatStopsEarlyNeverReplacesAnEarlierMailbox) {
  const fs::path dir = LogDirectory("stopped", OneMail().AddMail(kUnknownKind, "Desk\r\n"));
  const char* const aborted = "mixconv-cli: unknown mail kind 09 !! ABORT...\r\n";
  // With no earlier mailbox, what was converted becomes NAME.mbx.
  const CliRun first = RunCliIn(dir, {"LOG"});
  EXPECT_EQ(first.status, kExitIncomplete);
  EXPECT_EQ(first.err, aborted);
  EXPECT_EQ(first.out, "convert 1/2 mail\r\n");
  const std::string converted = ReadFileBytes(dir / "LOG.mbx");
  EXPECT_TRUE(converted.starts_with("From - ")) << converted;
  EXPECT_EQ(DirectoryNames(dir), (std::vector<std::string>{"LOG.MIX", "LOG.TXT", "LOG.mbx"}));

  // With one, the mails go to NAME.partial.mbx, which an earlier run may have left.
  WriteFileBytes(dir / "LOG.mbx", kEarlierMailbox);
  WriteFileBytes(dir / "LOG.partial.mbx", "From - an earlier partial run\r\n");
  const CliRun second = RunCliIn(dir, {"LOG"});
  EXPECT_EQ(second.status, kExitIncomplete);
  EXPECT_EQ(second.err,
            std::string(aborted) +
                "mixconv-cli: the mails converted are in LOG.partial.mbx; LOG.mbx is left as it "
                "was.\r\n");
  EXPECT_EQ(second.out, "convert 1/2 mail\r\n");
  EXPECT_EQ(ReadFileBytes(dir / "LOG.mbx"), kEarlierMailbox);
  EXPECT_EQ(ReadFileBytes(dir / "LOG.partial.mbx"), converted);
  EXPECT_EQ(DirectoryNames(dir),
            (std::vector<std::string>{"LOG.MIX", "LOG.TXT", "LOG.mbx", "LOG.partial.mbx"}));
}

// As the log's name often shows in Windows' Explorer: Mail.Mix beside Mail.Txt.
TEST_F(WindowsCliTest, PathNamingTheIndexInMixedCaseLosesItsExtension) {
  fs::rename(dir_.path() / "SAMPLE.MIX", dir_.path() / "Mail.Mix");
  fs::rename(dir_.path() / "SAMPLE.TXT", dir_.path() / "Mail.Txt");
  const CliRun run =
      RunCli({"--original", "--name", "山田 太郎", "--email", "taro@example.jp", "Mail.Mix"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(dir_.path() / "Mail.mbx"),
            ReadFileBytes(Samples() / "SAMPLE.expected.mbx"));
  EXPECT_EQ(DirectoryNames(dir_.path()),
            (std::vector<std::string>{"Mail.Mix", "Mail.Txt", "Mail.mbx"}));
}

// Files that killed runs left: the next run of the same log removes those that
// have settled and that no process holds open.
TEST_F(WindowsCliTest, FilesLeftByKilledRunsAreRemovedUnlessHeld) {
  const auto anHourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (const char* name : {"SAMPLE.mbx.0badcafe.tmp", "SAMPLE.mbx.12345678.tmp",
                           "SAMPLE.mbx.0000fade.tmp", "OTHER.mbx.0badcafe.tmp"}) {
    WriteFileBytes(dir_.path() / name, "From - mail\r\n");
    if (std::string_view(name) != "SAMPLE.mbx.0000fade.tmp") {
      fs::last_write_time(dir_.path() / name, anHourAgo);
    }
  }
  const HeldFile held(dir_.path() / "SAMPLE.mbx.12345678.tmp");
  ASSERT_TRUE(held.IsOpen());
  EXPECT_EQ(RunCli({"SAMPLE.MIX"}).status, 0);
  EXPECT_EQ(
      DirectoryNames(dir_.path()),
      (std::vector<std::string>{"OTHER.mbx.0badcafe.tmp", "SAMPLE.MIX", "SAMPLE.TXT", "SAMPLE.mbx",
                                "SAMPLE.mbx.0000fade.tmp", "SAMPLE.mbx.12345678.tmp"}));
}

// One .eml file per mail, named in Windows' own characters and dated with the
// mail; a Maildir, whose names need ':', is refused before anything is touched.
TEST_F(WindowsCliTest, EmlFolderHoldsOneDatedCrLfFilePerMailAndMaildirIsRefused) {
  const CliRun run = RunCli({"--eml", "SAMPLE.MIX"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "skip one binary mail.\r\nconvert 5/6 mail\r\n");
  const fs::path folder = dir_.path() / "SAMPLE.eml-files";
  const std::vector<std::string> names = Utf8Names(folder);
  ASSERT_EQ(names.size(), 5U);
  EXPECT_EQ(names[0], "0000000001 2001-06-14 1624 定例会議.eml");
  EXPECT_TRUE(names[4].starts_with("0000000006 ")) << names[4];
  for (const std::string& name : names) {
    const std::string mail = ReadFileBytes(folder / Utf8Path(name));
    EXPECT_EQ(std::count(mail.begin(), mail.end(), '\n'),
              std::count(mail.begin(), mail.end(), '\r'))
        << name;
    EXPECT_NE(mail.find("Subject: "), std::string::npos) << name;
  }
  EXPECT_EQ(ModificationTime(folder / Utf8Path(names[0])), 992503440);

  const CliRun maildir = RunCli({"--maildir", "SAMPLE.MIX"});
  EXPECT_EQ(maildir.status, kExitUsage);
  EXPECT_EQ(
      maildir.err,
      "mixconv-cli: --maildir: Maildir file names hold ':', which Windows does not allow in a "
      "file name; use --eml for one file per mail\r\nTry 'mixconv-cli --help' for more "
      "information.\r\n");
  EXPECT_FALSE(fs::exists(dir_.path() / "SAMPLE.maildir"));
}

// An earlier folder stays as it was, and a stopped run's mails go to a folder
// named for that; each gets a line.
TEST_F(WindowsCliTest, EmlFoldersGoBesideEarlierOnesAndAStoppedRunSaysWhere) {
  const struct {
    const char* what;
    MailLogBuilder log;
    bool earlier;
    const char* err;
    const char* out;
    const char* folder;
  } cases[] = {
      {"earlier folder", OneMail(), true,
       "mixconv-cli: LOG.eml-files is left as it was; the mails converted are in "
       "LOG.2.eml-files.\r\n",
       "convert 1/1 mail\r\n", "LOG.2.eml-files"},
      {"stopped run", OneMail().AddMail(kUnknownKind, "Desk\r\n"), false,
       "mixconv-cli: unknown mail kind 09 !! ABORT...\r\nmixconv-cli: the run stopped early; "
       "the mails it converted (1) are in LOG.partial.eml-files.\r\n",
       "convert 1/2 mail\r\n", "LOG.partial.eml-files"},
  };
  for (const auto& [what, log, earlier, err, out, folder] : cases) {
    const fs::path dir = LogDirectory(what, log);
    if (earlier) {
      fs::create_directory(dir / "LOG.eml-files");
      WriteFileBytes(dir / "LOG.eml-files" / "kept", kEarlierMailbox);
    }
    const CliRun run = RunCliIn(dir, {"--eml", "LOG"});
    EXPECT_EQ(run.status, kExitIncomplete) << what;
    EXPECT_EQ(run.err, err) << what;
    EXPECT_EQ(run.out, out) << what;
    EXPECT_EQ(DirectoryNames(dir / folder).size(), 1U) << what;
    if (earlier) {
      EXPECT_EQ(DirectoryNames(dir / "LOG.eml-files"), std::vector<std::string>{"kept"}) << what;
    }
  }
}

// Folders that killed runs left: the next run removes those that have settled
// and that no process holds open, with everything in them.
TEST_F(WindowsCliTest, FoldersLeftByKilledRunsAreRemovedUnlessHeld) {
  for (const char* name : {"SAMPLE.eml-files.0badcafe.tmp", "SAMPLE.eml-files.12345678.tmp",
                           "SAMPLE.eml-files.0000fade.tmp", "OTHER.eml-files.0badcafe.tmp"}) {
    fs::create_directory(dir_.path() / name);
    WriteFileBytes(dir_.path() / name / "0000000001 mail.eml", "Subject: left\r\n");
    if (std::string_view(name) != "SAMPLE.eml-files.0000fade.tmp") {
      MakeAnHourOld(dir_.path() / name);
    }
  }
  const HeldFolder held(dir_.path() / "SAMPLE.eml-files.12345678.tmp");
  ASSERT_TRUE(held.IsOpen());
  EXPECT_EQ(RunCli({"--eml", "SAMPLE.MIX"}).status, 0);
  EXPECT_EQ(DirectoryNames(dir_.path()),
            (std::vector<std::string>{"OTHER.eml-files.0badcafe.tmp", "SAMPLE.MIX", "SAMPLE.TXT",
                                      "SAMPLE.eml-files", "SAMPLE.eml-files.0000fade.tmp",
                                      "SAMPLE.eml-files.12345678.tmp"}));
}

}  // namespace
}  // namespace mixconv::testing
