// mixconv-cli as a user runs it: a separate process, its streams and its exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "log_builder/sjis_text.h"
#include "tests/support/conversion_harness.h"

namespace mixconv::testing {
namespace {

namespace fs = std::filesystem;

class CliTest : public ::testing::Test {
 protected:
  CliRun RunCli(const std::vector<std::string>& arguments) const {
    return RunProgramIn(dir_.path(), MIXCONV_CLI_PATH, arguments);
  }

  void WriteLog(const std::string& base, const MailLogBuilder& log) const {
    log.WriteFiles(dir_.path() / base);
  }

  std::string Mailbox(const std::string& base) const {
    return ReadFileBytes(dir_.path() / (base + ".mbx"));
  }

  bool HasMailbox(const std::string& base) const {
    return fs::exists(dir_.path() / (base + ".mbx"));
  }

  TempDir dir_;
};

const MailLogBuilder kSentMail = MailLogBuilder().AddMail(kind::kSent, "Desk\r\nTO:ABC\r\n");

TEST_F(CliTest, ConvertsEachIndexInTurnWithTheUsersNameInShiftJis) {
  WriteLog("A", kSentMail);
  WriteLog("B", kSentMail);
  const CliRun run = RunCli({"--original", "--name", "山田 太郎", "--email=taro@example.jp",
                             "--domain", "example.net", "A.MIX", "B"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "convert 1/1 mail\nconvert 1/1 mail\n");
  EXPECT_EQ(run.err, "");
  const std::string expected = "From - Thu Jan 01 09:00:00 1970\r\nFrom: " + Sjis("山田 太郎") +
                               " <taro@example.jp>\r\nDate: 01 Jan 1970 09:00:00\r\n"
                               "To: Desk <abc@example.net>\r\n";
  EXPECT_EQ(Mailbox("A"), expected);
  EXPECT_EQ(Mailbox("B"), expected);
}

TEST_F(CliTest, ErrorsGoToStandardErrorAndFailTheRun) {
  WriteLog("A", kSentMail);
  WriteLog("C", kSentMail);
  const CliRun run = RunCli({"A", "MISSING", "C"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "convert 1/1 mail\nconvert 1/1 mail\n");
  EXPECT_EQ(run.err, "mixconv-cli: MISSING.MIX file open failed.\n");
  EXPECT_TRUE(HasMailbox("C"));

  const CliRun quiet = RunCli({"--quiet", "A", "MISSING"});
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, "mixconv-cli: MISSING.MIX file open failed.\n");

  // Both streams into one file: the lines in the order they were reported.
  const CliRun merged =
      RunProgramIn(dir_.path(), "/bin/sh",
                   {"-c", "exec \"$0\" \"$@\" 2>&1", MIXCONV_CLI_PATH, "A", "MISSING", "C"});
  EXPECT_EQ(merged.out,
            "convert 1/1 mail\nmixconv-cli: MISSING.MIX file open failed.\nconvert 1/1 mail\n");
}

TEST_F(CliTest, LowerCaseLogFilesConvert) {
  WriteLog("TMP", kSentMail);
  fs::rename(dir_.path() / "TMP.MIX", dir_.path() / "log.mix");
  fs::rename(dir_.path() / "TMP.TXT", dir_.path() / "log.txt");
  const CliRun run = RunCli({"log.mix"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(HasMailbox("log"));
}

TEST_F(CliTest, IncompleteConversionsFailTheRun) {
  WriteLog("SHORT", MailLogBuilder().AddMail(kind::kSent, "Desk\r\n").ClaimCount(2));
  const CliRun shortIndex = RunCli({"SHORT"});
  EXPECT_EQ(shortIndex.status, 1);
  EXPECT_EQ(shortIndex.out, "convert 1/2 mail\n");

  WriteLog("ABORT", MailLogBuilder().AddMail(9, "Desk\r\n"));
  const CliRun aborted = RunCli({"ABORT"});
  EXPECT_EQ(aborted.status, 1);
  EXPECT_EQ(aborted.err, "mixconv-cli: unknown mail kind 09 !! ABORT...\n");
  EXPECT_EQ(aborted.out, "convert 0/1 mail\n");

  WriteLog("BINARY", MailLogBuilder().AddMail(kind::kBinary, "data"));
  const CliRun binary = RunCli({"BINARY"});
  EXPECT_EQ(binary.status, 0);
  EXPECT_EQ(binary.out, "skip one binary mail.\nconvert 0/1 mail\n");
}

TEST_F(CliTest, UsageErrorsTouchNoFile) {
  WriteLog("A", kSentMail);
  const struct {
    std::vector<std::string> arguments;
    std::string error;
  } cases[] = {
      {{}, "mixconv-cli: no INDEX given\n"},
      {{"--colour", "A"}, "mixconv-cli: unknown option '--colour'\n"},
      {{"A", "--name"}, "mixconv-cli: option '--name' needs a value\n"},
      {{"--name", "Taro\nBcc: x", "A"},
       "mixconv-cli: --name: contains a control character (U+000A)\n"},
      {{"--email", "a\tb", "A"}, "mixconv-cli: --email: contains a control character (U+0009)\n"},
      {{"--name", "😀", "A"},
       "mixconv-cli: --name: contains U+1F600, which has no Shift_JIS form\n"},
      {{"--name", "\xFF", "A"}, "mixconv-cli: --name: is not valid UTF-8 text\n"},
      {{"--original", "--eml", "A"},
       "mixconv-cli: --original cannot be used with --eml: a folder of mail files holds the "
       "readable form only\n"},
      {{"--maildir", "A", "--original"},
       "mixconv-cli: --original cannot be used with --maildir: a folder of mail files holds the "
       "readable form only\n"},
      {{"--eml", "--maildir", "A"}, "mixconv-cli: --eml and --maildir cannot be used together\n"},
  };
  for (const auto& [arguments, error] : cases) {
    const CliRun run = RunCli(arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, error + "Try 'mixconv-cli --help' for more information.\n");
    EXPECT_FALSE(HasMailbox("A"));
    EXPECT_FALSE(fs::exists(dir_.path() / "A.eml-files"));
    EXPECT_FALSE(fs::exists(dir_.path() / "A.maildir"));
  }
}

TEST_F(CliTest, HelpAndVersion) {
  const CliRun help = RunCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: mixconv-cli [OPTION]... INDEX...\n"));
  const CliRun version = RunCli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "mixconv-cli " MIXCONV_VERSION "\n");
}

// The same golden mailboxes as mixconv-cli.exe must write on Windows.
TEST_F(CliTest, SampleLogConvertsToTheGoldenMailboxes) {
  const fs::path samples = MIXCONV_SAMPLES_DIR;
  fs::copy_file(samples / "SAMPLE.MIX", dir_.path() / "SAMPLE.MIX");
  fs::copy_file(samples / "SAMPLE.TXT", dir_.path() / "SAMPLE.TXT");
  // The readable form unless the original is asked for; --utf8 is kept for scripts.
  const struct {
    std::vector<std::string> form;
    const char* golden;
  } cases[] = {{{"--original"}, "SAMPLE.expected.mbx"},
               {{}, "SAMPLE.utf8.expected.mbx"},
               {{"--utf8"}, "SAMPLE.utf8.expected.mbx"}};
  for (const auto& [form, golden] : cases) {
    std::vector<std::string> arguments = form;
    arguments.insert(arguments.end(),
                     {"--name", "山田 太郎", "--email", "taro@example.jp", "SAMPLE.MIX"});
    const CliRun run = RunCli(arguments);
    EXPECT_EQ(run.status, 0) << golden;
    EXPECT_EQ(run.out, "skip one binary mail.\nconvert 5/6 mail\n") << golden;
    EXPECT_EQ(Mailbox("SAMPLE"), ReadFileBytes(samples / golden)) << golden;
  }
}

TEST_F(CliTest, SampleGeneratorWritesTheCommittedLog) {
  const fs::path samples = MIXCONV_SAMPLES_DIR;
  ASSERT_EQ(RunProgramIn(dir_.path(), MIXCONV_MAKE_SAMPLE_PATH, {"FRESH"}).status, 0);
  EXPECT_EQ(ReadFileBytes(dir_.path() / "FRESH.MIX"), ReadFileBytes(samples / "SAMPLE.MIX"));
  EXPECT_EQ(ReadFileBytes(dir_.path() / "FRESH.TXT"), ReadFileBytes(samples / "SAMPLE.TXT"));
}

}  // namespace
}  // namespace mixconv::testing
