// What mixconv.exe does apart from its windows: the file a dropped file names,
// what each output entry converts to, and the text of the engine's lines.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "charset/report_text.h"
#include "engine/convert.h"
#include "resource_ids.h"
#include "tests/support/conversion_harness.h"
#include "win32/framework/wide_text.h"
#include "win32/output_choice.h"

namespace mixconv::win32 {
namespace {

namespace fs = std::filesystem;
using testing::LineCollector;
using testing::ReadFileBytes;
using testing::TempDir;

constexpr char kName[] = "山田 太郎";
constexpr char kAddress[] = "taro@example.jp";

fs::path Samples() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return fs::path(path).parent_path() / "samples";
}

TEST(WideTextTest, JapaneseAndCharactersBeyondSixteenBitsSurviveBothWays) {
  const std::string utf8 = "メール 😀 ｶﾅ";
  EXPECT_EQ(ToUtf16(utf8), L"メール \U0001F600 ｶﾅ");
  EXPECT_EQ(ToUtf8(ToUtf16(utf8)), utf8);
  EXPECT_EQ(ToUtf16(""), L"");
}

// A line naming a path from old media is code page 932; the list shows it as text.
TEST(WideTextTest, ReportedLinesBecomeTheirCharacters) {
  EXPECT_EQ(ToUtf16(ReportTextUtf8("mixconv: \x83\x81\x81\x5B\x83\x8B.MIX file open failed.")),
            L"mixconv: メール.MIX file open failed.");
  EXPECT_EQ(ToUtf16(ReportTextUtf8("mixconv: メール.MIX file open failed.")),
            L"mixconv: メール.MIX file open failed.");
}

class OutputChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::PinTimeZone();
    for (const char* file : {"SAMPLE.MIX", "SAMPLE.TXT"}) {
      fs::copy_file(Samples() / file, dir_.path() / file);
    }
    ActiveResultLog = &report_;
  }
  void TearDown() override { ActiveResultLog = nullptr; }

  ConversionFields Fields(const std::string& name) const {
    return {ToUtf8((dir_.path() / "SAMPLE.MIX").wstring()), name, kAddress};
  }
  std::string Mailbox() const { return ReadFileBytes(dir_.path() / "SAMPLE.mbx"); }

  TempDir dir_;
  LineCollector report_;
};

TEST_F(OutputChoiceTest, ReadableMboxIsMixconvClisDefault) {
  ConvertAs(IDS_OUTPUT_READABLE_MBOX, Fields(kName));
  EXPECT_EQ(Mailbox(), ReadFileBytes(Samples() / "SAMPLE.utf8.expected.mbx"));
  EXPECT_EQ(report_.lines, (std::vector<std::string>{"skip one binary mail.", "convert 5/6 mail"}));
}

TEST_F(OutputChoiceTest, OriginalFormIsTheOriginalConvertersBytes) {
  ConvertAs(IDS_OUTPUT_ORIGINAL_MBOX, Fields(kName));
  EXPECT_EQ(Mailbox(), ReadFileBytes(Samples() / "SAMPLE.expected.mbx"));
  EXPECT_EQ(report_.lines, (std::vector<std::string>{"skip one binary mail.", "convert 5/6 mail"}));
}

TEST_F(OutputChoiceTest, EmlFolderHoldsAFilePerConvertedMail) {
  ConvertAs(IDS_OUTPUT_EML_FOLDER, Fields(kName));
  const fs::path folder = dir_.path() / "SAMPLE.eml-files";
  ASSERT_TRUE(fs::is_directory(folder));
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    EXPECT_EQ(entry.path().extension(), ".eml") << entry.path();
    ++files;
  }
  EXPECT_EQ(files, 5u);
  EXPECT_EQ(report_.lines, (std::vector<std::string>{"skip one binary mail.", "convert 5/6 mail"}));
}

// Windows allows no ':' in a file name, which Maildir names need.
TEST_F(OutputChoiceTest, MaildirIsRefusedWithTheReason) {
  ConvertAs(IDS_OUTPUT_MAILDIR, Fields(kName));
  EXPECT_EQ(report_.lines, (std::vector<std::string>{
                               "mixconv: Maildir file names hold ':', which Windows does not "
                               "allow in a file name."}));
  EXPECT_FALSE(fs::exists(dir_.path() / "SAMPLE.maildir"));
}

TEST_F(OutputChoiceTest, NameTheMailboxCannotHoldIsReportedAndNothingConverts) {
  ConvertAs(IDS_OUTPUT_READABLE_MBOX, Fields("smile 😀"));
  EXPECT_EQ(
      report_.lines,
      (std::vector<std::string>{"mixconv: name: contains U+1F600, which has no Shift_JIS form"}));
  EXPECT_FALSE(fs::exists(dir_.path() / "SAMPLE.mbx"));
}

TEST_F(OutputChoiceTest, EntryWithNoConversionIsReported) {
  ConvertAs(IDS_ABOUTBOX, Fields(kName));
  EXPECT_EQ(report_.lines,
            (std::vector<std::string>{"mixconv: output entry 101 converts to nothing."}));
  EXPECT_FALSE(fs::exists(dir_.path() / "SAMPLE.mbx"));
}

}  // namespace
}  // namespace mixconv::win32
