// mixconv-cli.exe as a Windows user runs it: a process of its own, Japanese
// names and paths whatever the system's code page, the Linux program's mailboxes.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/conversion_harness.h"

namespace mixconv::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kExitIncomplete = 1;
constexpr int kExitUsage = 2;

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

class WindowsCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"TZ", L"JST-9");
    for (const char* file : {"SAMPLE.MIX", "SAMPLE.TXT"}) {
      fs::copy_file(Samples() / file, dir_.path() / file);
    }
  }

  static fs::path Samples() { return BuildDirectory() / "samples"; }

  // Runs mixconv-cli.exe in the test's directory; arguments are UTF-8.
  CliRun RunCli(const std::vector<std::string>& arguments) const {
    const fs::path program = BuildDirectory().parent_path() / "cli" / "mixconv-cli.exe";
    std::wstring commandLine = Quoted(program.wstring());
    for (const std::string& argument : arguments) {
      commandLine += L" " + Quoted(Utf8Path(argument).wstring());
    }
    const fs::path out = dir_.path() / "out.txt";
    const fs::path err = dir_.path() / "err.txt";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = CreateOutputFile(out);
    startup.hStdError = CreateOutputFile(err);
    PROCESS_INFORMATION process{};
    CliRun run;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       dir_.path().c_str(), &startup, &process)) {
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

  TempDir dir_;
};

TEST_F(WindowsCliTest, SampleLogGivesTheLinuxProgramsMailboxesInBothForms) {
  const struct {
    std::vector<std::string> form;
    const char* golden;
  } forms[] = {{{}, "SAMPLE.expected.mbx"}, {{"--utf8"}, "SAMPLE.utf8.expected.mbx"}};
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
  const CliRun run =
      RunCli({"--name", "山田 太郎", "--email", "taro@example.jp", "ログ\\メール.MIX"});
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

}  // namespace
}  // namespace mixconv::testing
