#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "destinations/mailbox_pieces.h"
#include "formats/mbox_framing.h"
#include "log_builder/sjis_text.h"
#include "tests/support/conversion_harness.h"

namespace mixconv::testing {
namespace {

const std::string kSentText = "Desk\r\nbody\r\n";

using Lines = std::vector<std::string>;

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override { PinTimeZone(); }

  // Converts `path` (relative to the directory) after writing the log as `base`.
  Conversion ConvertIn(const std::string& base, const std::string& path,
                       const std::string& mailbox) {
    MailLogBuilder().AddMail(kind::kSent, kSentText).WriteFiles(dir_.path() / base);
    return ConvertPath((dir_.path() / path).string(), (dir_.path() / mailbox).string());
  }

  TempDir dir_;
};

TEST_F(DriverTest, IndexPathsNameTheThreeFiles) {
  for (const char* path : {"LOG.MIX", "LOG.mix", "LOG"}) {
    const Conversion conversion = ConvertIn("LOG", path, "LOG.mbx");
    EXPECT_TRUE(conversion.outcome.complete) << path;
    EXPECT_TRUE(conversion.mailboxExists) << path;
  }
  // Where names ignore case (Windows), LOG.Mix beside LOG.MIX would name that file.
  std::filesystem::create_directory(dir_.path() / "mixed");
  EXPECT_TRUE(ConvertIn("mixed/LOG.Mix", "mixed/LOG.Mix", "mixed/LOG.Mix.mbx").mailboxExists);
  // A path that names the index itself loses its extension in any letters.
  namespace fs = std::filesystem;
  MailLogBuilder().AddMail(kind::kSent, kSentText).WriteFiles(dir_.path() / "TMP");
  fs::rename(dir_.path() / "TMP.MIX", dir_.path() / "Mail.Mix");
  fs::rename(dir_.path() / "TMP.TXT", dir_.path() / "Mail.Txt");
  const Conversion named =
      ConvertPath((dir_.path() / "Mail.Mix").string(), (dir_.path() / "Mail.mbx").string());
  EXPECT_TRUE(named.outcome.complete);
  EXPECT_TRUE(named.mailboxExists);
  std::filesystem::create_directory(dir_.path() / "mail.old");
  EXPECT_TRUE(ConvertIn("mail.old/LOG", "mail.old/LOG", "mail.old/LOG.mbx").mailboxExists);
}

// As copies from old FAT media often are: log.mix and log.txt.
TEST_F(DriverTest, LogFilesInAnotherCaseAreFoundAndTheMailboxKeepsTheGivenName) {
  namespace fs = std::filesystem;
  MailLogBuilder().AddMail(kind::kSent, kSentText).WriteFiles(dir_.path() / "TMP");
  fs::rename(dir_.path() / "TMP.MIX", dir_.path() / "log.mix");
  fs::rename(dir_.path() / "TMP.TXT", dir_.path() / "log.txt");
  for (const char* base : {"log", "LOG", "Log"}) {
    for (const std::string& path : {std::string(base), std::string(base) + ".mix"}) {
      const Conversion conversion = ConvertPath(
          (dir_.path() / path).string(), (dir_.path() / (std::string(base) + ".mbx")).string());
      EXPECT_TRUE(conversion.outcome.complete) << path;
      EXPECT_TRUE(conversion.mailboxExists) << path;
      EXPECT_EQ(conversion.lines, Lines{"convert 1/1 mail"}) << path;
    }
  }
#ifndef _WIN32
  // Where the names in different case are several, none is picked.
  fs::copy_file(dir_.path() / "log.txt", dir_.path() / "Log.Txt");
  const std::string base = (dir_.path() / "log").string();
  const Conversion ambiguous = ConvertPath(base, base + ".mbx");
  EXPECT_EQ(ambiguous.lines,
            Lines{"mixconv: " + base +
                  ".TXT file open failed: 2 files have this name in different case."});
  fs::copy_file(dir_.path() / "log.txt", dir_.path() / "log.TXT");
  EXPECT_TRUE(ConvertPath(base, base + ".mbx").outcome.complete);
#endif
}

TEST_F(DriverTest, FilesThatCannotBeOpenedAreNamed) {
  const Conversion empty = ConvertPath("", ".mbx");
  EXPECT_EQ(empty.lines, Lines{"mixconv: .MIX file open failed."});
  EXPECT_EQ(empty.outcome.result, -1);

  const std::string base = (dir_.path() / "LOG").string();
  WriteFileBytes(base + ".MIX", MailLogBuilder().IndexBytes());
  const Conversion noText = ConvertPath(base + ".MIX", base + ".mbx");
  EXPECT_EQ(noText.lines, Lines{"mixconv: " + base + ".TXT file open failed."});
  EXPECT_FALSE(noText.mailboxExists);
  EXPECT_FALSE(noText.outcome.complete);
}

TEST_F(DriverTest, EmptyIndexGivesEmptyMailboxAndShortIndexIsAnError) {
  const Conversion empty = ConvertLog(MailLogBuilder());
  EXPECT_TRUE(empty.mailboxExists);
  EXPECT_EQ(empty.mailbox, "");
  EXPECT_EQ(empty.lines, Lines{"convert 0/0 mail"});
  EXPECT_TRUE(empty.outcome.complete);

  const std::string base = (dir_.path() / "SHORT").string();
  WriteFileBytes(base + ".MIX", std::string(12, '\0'));
  WriteFileBytes(base + ".TXT", "");
  const Conversion shortIndex = ConvertPath(base, base + ".mbx");
  EXPECT_EQ(shortIndex.lines, (Lines{"mixconv: file read error.", "convert 0/0 mail"}));
  EXPECT_EQ(shortIndex.outcome.result, 0);
  EXPECT_FALSE(shortIndex.outcome.complete);
}

TEST_F(DriverTest, BinaryMailsAreSkipped) {
  const Conversion conversion = ConvertLog(MailLogBuilder()
                                               .AddMail(kind::kSent, kSentText)
                                               .AddMail(kind::kReceived, "binary", 0, 0x18)
                                               .AddMail(kind::kBinaryOther, "binary", 0, 0x80)
                                               .AddMail(kind::kBinary, "binary")
                                               .AddMail(kind::kSent, kSentText, 0, 0x09));
  EXPECT_EQ(conversion.lines, (Lines{"skip one binary mail.", "skip one binary mail.",
                                     "skip one binary mail.", "convert 2/5 mail"}));
  const std::string mail =
      "From - Thu Jan 01 09:00:00 1970\r\nFrom: N <U>\r\n"
      "Date: 01 Jan 1970 09:00:00\r\nbody\r\n";
  EXPECT_EQ(conversion.mailbox, mail + mail);
  EXPECT_TRUE(conversion.outcome.complete);
}

TEST_F(DriverTest, IndexShorterThanItsCountEndsTheList) {
  const Conversion conversion = ConvertLog(MailLogBuilder()
                                               .AddMail(kind::kSent, kSentText)
                                               .AddMail(kind::kSent, kSentText)
                                               .AddMail(kind::kSent, kSentText)
                                               .ClaimCount(5));
  EXPECT_EQ(conversion.lines, Lines{"convert 3/5 mail"});
  EXPECT_EQ(conversion.outcome.result, 0);
  EXPECT_FALSE(conversion.outcome.complete);
}

TEST_F(DriverTest, AbortsStopTheRunAfterTheSeparator) {
  const std::string separator = "From - Thu Jan 01 09:00:00 1970\r\n";
  const std::string sent = separator + "From: N <U>\r\nDate: 01 Jan 1970 09:00:00\r\nbody\r\n";
  const auto abortedSecond = [&](const IndexEntry& second) {
    return ConvertLog(MailLogBuilder()
                          .AddMail(kind::kSent, kSentText)
                          .AddEntry(second)
                          .AddMail(kind::kSent, kSentText)
                          .AddMail(kind::kSent, kSentText));
  };
  const struct {
    IndexEntry entry;
    Lines lines;
  } cases[] = {
      {{0, 0, 9, 0, 12}, {"mixconv: unknown mail kind 09 !! ABORT...", "convert 1/4 mail"}},
      {{0, 0, kind::kSent, 0, 0}, {"mixconv: no title line !! ABORT...", "convert 1/4 mail"}},
      {{0, 0, kind::kSent, -1, 12}, {"mixconv: file seek failed.", "convert 1/4 mail"}},
      {{0, 0, kind::kSent, 1 << 20, 12},
       {"mixconv: file read error.", "mixconv: no title line !! ABORT...", "convert 1/4 mail"}},
      {{0, 0, kind::kReceived, 0, 12},
       {"mixconv: no subject line !! ABORT...", "convert 1/4 mail"}},
  };
  for (const auto& [entry, lines] : cases) {
    const Conversion conversion = abortedSecond(entry);
    EXPECT_EQ(conversion.lines, lines);
    EXPECT_EQ(conversion.mailbox, sent + separator);
    EXPECT_EQ(conversion.outcome.result, 0);
    EXPECT_FALSE(conversion.outcome.complete);
  }
}

TEST_F(DriverTest, SharedAndBackwardRangesAreEachReadWhole) {
  MailLogBuilder log;
  log.AppendText("First\r\none\r\n").AppendText("Second\r\ntwo\r\n");
  log.AddEntry({0, 0, kind::kSent, 12, 13}).AddEntry({0, 0, kind::kSent, 0, 12});
  log.AddEntry({0, 0, kind::kSent, 12, 13});
  const std::string mailbox = ConvertLog(log).mailbox;
  const std::string header =
      "From - Thu Jan 01 09:00:00 1970\r\nFrom: N <U>\r\nDate: 01 Jan 1970 09:00:00\r\n";
  EXPECT_EQ(mailbox, header + "two\r\n" + header + "one\r\n" + header + "two\r\n");
}

TEST_F(DriverTest, ExistingMailboxIsReplaced) {
  WriteFileBytes(dir_.path() / "LOG.mbx", std::string(1000, 'Q'));
  const Conversion conversion = ConvertIn("LOG", "LOG", "LOG.mbx");
  EXPECT_TRUE(conversion.mailbox.starts_with("From - "));
  EXPECT_EQ(conversion.mailbox.find('Q'), std::string::npos);
}

TEST_F(DriverTest, FailedWritesAreReportedAndNotCounted) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a file size limit";
#else
  const std::filesystem::path base = dir_.path() / "FULL";
  MailLogBuilder().AddMail(kind::kSent, kSentText).AddMail(kind::kSent, kSentText).WriteFiles(base);
  // A disk that is full after a few bytes of the first mail.
  rlimit unlimited{};
  ::getrlimit(RLIMIT_FSIZE, &unlimited);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit full{16, unlimited.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &full);
  const Conversion conversion = ConvertPath(base.string(), base.string() + ".mbx");
  ::setrlimit(RLIMIT_FSIZE, &unlimited);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_EQ(conversion.lines, (Lines{"mixconv: file write error.", "convert 0/2 mail"}));
  // The 16 bytes of the first mail that reached the file are not a mail.
  EXPECT_EQ(conversion.mailbox, "");
  EXPECT_EQ(conversion.outcome.result, -1);
  EXPECT_FALSE(conversion.outcome.complete);
#endif
}

TEST_F(DriverTest, OverlongPathIsReportedWhole) {
  const std::string path(10000, 'p');
  const Conversion conversion = ConvertPath(path, "/nonexistent");
  EXPECT_EQ(conversion.lines, Lines{"mixconv: " + path + ".MIX file open failed."});
}

// The engine picks no form of its own: a caller that gives none gets no file.
TEST_F(DriverTest, ARunWithoutAWriterConvertsNothing) {
  struct Receiver final : PieceReceiver {
    void TakePiece(std::string_view bytes) override { mailbox += bytes; }
    std::string mailbox;
  } receiver;
  MailboxPieces mailbox(kOriginalMboxStyle, receiver);
  MailLogBuilder().AddMail(kind::kSent, kSentText).WriteFiles(dir_.path() / "LOG");
  const std::string index = (dir_.path() / "LOG").string();
  LineCollector lines;
  ActiveResultLog = &lines;
  const ConversionOutcome outcome =
      RunConversion({"mixconv", index.c_str(), kTestName, kTestAddress}, mailbox);
  ActiveResultLog = nullptr;
  EXPECT_EQ(outcome.result, -1);
  EXPECT_EQ(outcome.converted, 0U);
  EXPECT_EQ(lines.lines, Lines{"mixconv: no form to write the mails in was given."});
  EXPECT_EQ(receiver.mailbox, "");
}

TEST_F(DriverTest, LinesAreDroppedWithoutAReceiver) {
  ActiveResultLog = nullptr;
  EXPECT_EQ(ConvertMailLog("mixconv", "", "", ""), -1);
}

}  // namespace
}  // namespace mixconv::testing
