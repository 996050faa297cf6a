// Random and truncated logs: run under the sanitizer preset, they prove the engine
// neither crashes nor reads out of bounds, and that its output stays well formed.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "destinations/mailbox_pieces.h"
#include "log_builder/sjis_text.h"
#include "tests/support/conversion_harness.h"

namespace mixconv::testing {
namespace {

void ExpectWellFormed(const Conversion& conversion, const std::string& what) {
  ASSERT_FALSE(conversion.lines.empty()) << what;
  const std::string& summary = conversion.lines.back();
  EXPECT_TRUE(summary.starts_with("convert ") || summary.ends_with("file open failed."))
      << what << ": " << summary;
  EXPECT_LE(conversion.outcome.converted, CountSeparators(conversion.mailbox)) << what;
  EXPECT_TRUE(conversion.mailbox.empty() || conversion.mailbox.ends_with("\n")) << what;
}

MailLogBuilder SampleOfEveryKind() {
  const std::string title = Sjis("題名：");
  const std::string line3 = std::string(22, '.') + "ABC12345  2001/06/14 16:24";
  MailLogBuilder log;
  log.AddMail(0, CrLfLines({"Sales Desk", "x", line3, title + "Meeting", "x", "Hello."}), 1);
  log.AddMail(2, CrLfLines({"Desk", "TO:A,INET:b@example.com", "SUB:Hi", "body"}), 2);
  log.AddMail(4, CrLfLines({"ABC12345 away", "back soon"}), 3);
  log.AddMail(1, "binary", 4);
  return log;
}

TEST(RobustnessTest, TruncatedLogsConvertCleanly) {
  PinTimeZone();
  const MailLogBuilder sample = SampleOfEveryKind();
  const std::string index = sample.IndexBytes();
  const std::string& text = sample.TextBytes();
  const TempDir dir;
  const std::string base = (dir.path() / "CUT").string();
  for (std::size_t indexLength = 0; indexLength <= index.size(); indexLength += 5) {
    for (std::size_t textLength = 0; textLength <= text.size(); textLength += 7) {
      // Each run writes NAME.mbx: an earlier one would be kept from an incomplete run.
      std::filesystem::remove(base + ".mbx");
      WriteFileBytes(base + ".MIX", index.substr(0, indexLength));
      WriteFileBytes(base + ".TXT", text.substr(0, textLength));
      ExpectWellFormed(ConvertPath(base, base + ".mbx"),
                       std::to_string(indexLength) + "/" + std::to_string(textLength));
    }
  }
}

// Sample texts with bytes changed at random, under entries that point anywhere
// near them, of any kind, some counted wrongly.
MailLogBuilder RandomLog(std::mt19937& random, const std::string& texts) {
  MailLogBuilder log;
  std::uniform_int_distribution<int> byte(0, 255);
  std::string text = texts;
  for (int i = 0; i < 40; ++i) {
    text[static_cast<std::size_t>(random()) % text.size()] = static_cast<char>(byte(random));
  }
  log.AppendText(text);
  const int entries = static_cast<int>(random() % 8);
  for (int i = 0; i < entries; ++i) {
    const auto offset = static_cast<std::int32_t>(random() % (text.size() + 20)) - 10;
    log.AddEntry({static_cast<std::int32_t>(random()), static_cast<std::uint8_t>(byte(random)),
                  static_cast<std::uint8_t>(random() % 6), offset,
                  static_cast<std::uint32_t>(random() % 400)});
  }
  log.ClaimCount(random() % 3 == 0 ? static_cast<std::uint32_t>(random()) : entries);
  return log;
}

TEST(RobustnessTest, RandomLogsConvertCleanly) {
  PinTimeZone();
  std::mt19937 random(20261207);
  const TempDir dir;
  const std::string base = (dir.path() / "RANDOM").string();
  const std::string texts = SampleOfEveryKind().TextBytes();
  for (int round = 0; round < 300; ++round) {
    RandomLog(random, texts).WriteFiles(base);
    std::filesystem::remove(base + ".mbx");
    ExpectWellFormed(ConvertPath(base, base + ".mbx"), "round " + std::to_string(round));
  }
}

// What a run into a mailbox in memory gives: its bytes, lines and outcome.
struct RunInMemory final : PieceReceiver {
  void TakePiece(std::string_view bytes) override { mailbox += bytes; }
  std::string mailbox;
  LineCollector lines;
  ConversionOutcome outcome;
};

RunInMemory ConvertEntries(const std::string& index, MessageForm form, EntryRange entries) {
  RunInMemory run;
  ConversionRequest request{"mixconv", index.c_str(), kTestName, kTestAddress};
  request.entries = entries;
  ActiveResultLog = &run.lines;
  MailboxPieces mailbox(MailboxStyle(form), run);
  run.outcome = ConvertLogInto(request, form, mailbox);
  ActiveResultLog = nullptr;
  return run;
}

// A front end may run the mails before a split and those after it side by
// side, keeping the second part only when the first one is complete: with the
// summary line for both, that is the whole run, whatever the log holds.
TEST(RobustnessTest, ARunInTwoPartsIsTheWholeRun) {
  PinTimeZone();
  std::mt19937 random(20261208);
  const TempDir dir;
  const std::string base = (dir.path() / "PARTS").string();
  const std::string texts = SampleOfEveryKind().TextBytes();
  for (int round = 0; round < 60; ++round) {
    const MailLogBuilder log = round == 0 ? SampleOfEveryKind() : RandomLog(random, texts);
    log.WriteFiles(base);
    for (const MessageForm form : {MessageForm::Original, MessageForm::Readable}) {
      const RunInMemory whole = ConvertEntries(base, form, kEveryEntry);
      for (std::uint32_t split = 1; split <= 9; ++split) {
        const std::string what =
            "round " + std::to_string(round) + ", split " + std::to_string(split);
        const RunInMemory first = ConvertEntries(base, form, {1, split});
        const RunInMemory second = ConvertEntries(base, form, {split + 1, kEveryEntry.last});
        std::string mailbox = first.mailbox;
        std::vector<std::string> lines = first.lines.lines;
        std::uint32_t converted = first.outcome.converted;
        if (first.outcome.complete) {
          mailbox += second.mailbox;
          lines.insert(lines.end(), second.lines.lines.begin(), second.lines.lines.end());
          converted += second.outcome.converted;
        }
        if (first.outcome.result == 0) {
          LineCollector summary;
          ActiveResultLog = &summary;
          ReportSummary(converted, first.outcome.total);
          ActiveResultLog = nullptr;
          lines.push_back(summary.lines.front());
        }
        EXPECT_EQ(mailbox, whole.mailbox) << what;
        EXPECT_EQ(lines, whole.lines.lines) << what;
        EXPECT_EQ(first.outcome.complete && second.outcome.complete, whole.outcome.complete)
            << what;
      }
    }
  }
}

}  // namespace
}  // namespace mixconv::testing
