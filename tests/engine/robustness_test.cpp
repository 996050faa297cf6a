// Random and truncated logs: run under the sanitizer preset, they prove the engine
// neither crashes nor reads out of bounds, and that its output stays well formed.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "tests/support/conversion_harness.h"
#include "tests/support/sjis_text.h"

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

TEST(RobustnessTest, RandomLogsConvertCleanly) {
  PinTimeZone();
  std::mt19937 random(20261207);
  const TempDir dir;
  const std::string base = (dir.path() / "RANDOM").string();
  const std::string texts = SampleOfEveryKind().TextBytes();
  for (int round = 0; round < 300; ++round) {
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
    log.WriteFiles(base);
    std::filesystem::remove(base + ".mbx");
    ExpectWellFormed(ConvertPath(base, base + ".mbx"), "round " + std::to_string(round));
  }
}

}  // namespace
}  // namespace mixconv::testing
