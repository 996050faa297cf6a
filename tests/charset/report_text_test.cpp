#include "charset/report_text.h"

#include <gtest/gtest.h>

namespace mixconv {
namespace {

TEST(ReportTextTest, KeepsUtf8Lines) {
  EXPECT_EQ(ReportTextUtf8("convert 5/6 mail"), "convert 5/6 mail");
  EXPECT_EQ(ReportTextUtf8("mixconv: ログ\\メール.MIX file open failed."),
            "mixconv: ログ\\メール.MIX file open failed.");
  EXPECT_EQ(ReportTextUtf8(""), "");
}

TEST(ReportTextTest, ReadsOtherLinesAsCodePage932) {
  // メール.MIX as a file name from old media holds it.
  EXPECT_EQ(ReportTextUtf8("mixconv: \x83\x81\x81\x5B\x83\x8B.MIX file open failed."),
            "mixconv: メール.MIX file open failed.");
  // Halfwidth katakana are single bytes there.
  EXPECT_EQ(ReportTextUtf8("\xB6\xC0\xB6\xC5"), "ｶﾀｶﾅ");
}

TEST(ReportTextTest, ReplacesBytesThatAreNeither) {
  EXPECT_EQ(ReportTextUtf8("an unassigned pair \x85\x40."), "an unassigned pair \uFFFD.");
  EXPECT_EQ(ReportTextUtf8("end \x83"), "end \uFFFD");
}

}  // namespace
}  // namespace mixconv
