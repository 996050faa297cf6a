// Logs that vanish or shrink while they are being converted, as when a removable
// disk is pulled or another program rewrites them. The change is made from the
// report of the first mail, a binary one, after the files were opened.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/conversion_harness.h"

namespace mixconv::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kMails = 400;  // their text passes the reader's 64 KiB buffer

class ChangeOnFirstLine final : public ReportTarget {
 public:
  explicit ChangeOnFirstLine(std::function<void()> change) : change_(std::move(change)) {}
  int AddLine(const char* text) override {
    if (lines.empty()) {
      change_();
    }
    lines.emplace_back(text);
    return 0;
  }
  std::vector<std::string> lines;

 private:
  std::function<void()> change_;
};

class ChangingFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PinTimeZone();
    MailLogBuilder log;
    log.AddMail(kind::kBinary, "data\r\n");
    for (int i = 0; i < kMails; ++i) {
      log.AddMail(kind::kSent, "Desk\r\nTO:ABC\r\n" + std::string(300, 'x') + "\r\n", i);
    }
    log.WriteFiles(base_);
  }

  ConversionOutcome Convert(const std::function<void()>& change) {
    ChangeOnFirstLine report(change);
    ActiveResultLog = &report;
    const ConversionOutcome outcome =
        ConvertToMailbox({"mixconv", base_.string().c_str(), kTestName, kTestAddress},
                         MessageForm::Original);
    ActiveResultLog = nullptr;
    lines_ = report.lines;
    mailbox_ = ReadFileBytes(base_.string() + ".mbx");
    return outcome;
  }

  // Some platforms refuse to change a file another handle has open.
  void Truncate(const std::string& extension, std::uintmax_t size) {
    std::error_code error;
    fs::resize_file(base_.string() + extension, size, error);
    truncated_ = !error;
  }

  const TempDir dir_;
  const fs::path base_ = dir_.path() / "LOG";
  std::vector<std::string> lines_;
  std::string mailbox_;
  bool truncated_ = false;
};

TEST_F(ChangingFilesTest, RemovedFilesAreReadToTheEndWhereThePlatformKeepsThemOpen) {
  const ConversionOutcome outcome = Convert([this] {
    std::error_code ignored;
    fs::remove(base_.string() + ".MIX", ignored);
    fs::remove(base_.string() + ".TXT", ignored);
  });
  EXPECT_TRUE(outcome.complete);
  EXPECT_EQ(outcome.converted, static_cast<unsigned>(kMails));
  EXPECT_EQ(CountSeparators(mailbox_), static_cast<std::size_t>(kMails));
}

TEST_F(ChangingFilesTest, ShrunkenTextStopsTheRunAtTheFirstMissingMail) {
  const ConversionOutcome outcome = Convert([this] { Truncate(".TXT", 100 * 1000); });
  if (!truncated_) {
    GTEST_SKIP() << "this platform does not shrink an open file";
  }
  EXPECT_FALSE(outcome.complete);
  EXPECT_GT(outcome.converted, 0U);
  EXPECT_LT(outcome.converted, static_cast<unsigned>(kMails));
  ASSERT_GE(lines_.size(), 3U);
  EXPECT_EQ(lines_[lines_.size() - 3], "mixconv: file read error.");
  EXPECT_EQ(lines_[lines_.size() - 2], "mixconv: no title line !! ABORT...");
  // The mail that stopped the run has its separator and no more.
  EXPECT_EQ(CountSeparators(mailbox_), outcome.converted + 1);
}

TEST_F(ChangingFilesTest, ShrunkenIndexEndsTheListShortOfItsCount) {
  const ConversionOutcome outcome = Convert([this] { Truncate(".MIX", 14); });
  if (!truncated_) {
    GTEST_SKIP() << "this platform does not shrink an open file";
  }
  EXPECT_FALSE(outcome.complete);
  EXPECT_LT(outcome.converted, static_cast<unsigned>(kMails));
  EXPECT_EQ(lines_.back(), "convert " + std::to_string(outcome.converted) + "/401 mail");
  EXPECT_EQ(CountSeparators(mailbox_), outcome.converted);
}

}  // namespace
}  // namespace mixconv::testing
