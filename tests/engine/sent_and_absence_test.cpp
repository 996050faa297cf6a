#include <gtest/gtest.h>

#include <string>

#include "log_builder/sjis_text.h"
#include "tests/support/conversion_harness.h"

namespace mixconv::testing {
namespace {

constexpr std::int32_t kJune14th2001 = 992503440;  // 2001-06-14 07:24:00 UTC

std::string ConvertOne(std::uint8_t kind, const std::string& text) {
  return FirstMailBody(ConvertLog(MailLogBuilder().AddMail(kind, text, kJune14th2001)));
}

// The To line that a sent mail's second line becomes.
std::string RewrittenTo(std::string_view title, std::string_view toLine) {
  const std::string body = ConvertOne(kind::kSent, CrLfLines({title, toLine}));
  const std::size_t start = body.find("To: ");
  return start == std::string::npos ? body : body.substr(start);
}

class SentAndAbsenceTest : public ::testing::Test {
 protected:
  void SetUp() override { PinTimeZone(); }
};

TEST_F(SentAndAbsenceTest, SentMailGetsUserFromIndexDateAndRewrittenLines) {
  EXPECT_EQ(ConvertOne(kind::kSent, CrLfLines({"Sales Desk      x", "TO:ABC12345", "SUB:Hello",
                                               "TO:not rewritten", "From the desk"})),
            "From: N <U>\r\n"
            "Date: 14 Jun 2001 16:24:00\r\n"
            "To: Sales Desk <abc12345@members.example.jp>\r\n"
            "Subject: Hello\r\n"
            "TO:not rewritten\r\n"
            ">From the desk\r\n");
  EXPECT_EQ(ConvertOne(kind::kSent, "Sales Desk\r\n"),
            "From: N <U>\r\nDate: 14 Jun 2001 16:24:00\r\n");
}

TEST_F(SentAndAbsenceTest, RecipientListsAreRewrittenElementByElement) {
  EXPECT_EQ(RewrittenTo("Sales Desk", "TO:ABC12345,XYZ00001"),
            "To: abc12345@members.example.jp, xyz00001@members.example.jp\r\n");
  EXPECT_EQ(RewrittenTo("Sales Desk", "TO:INET:someone@example.com"),
            "To: someone@example.com\r\n");
  EXPECT_EQ(RewrittenTo("", "TO:ABC12345"), "To: abc12345@members.example.jp\r\n");
  EXPECT_EQ(RewrittenTo("Sales Desk", "TO:"), "To: Sales Desk <@members.example.jp>\r\n");
  EXPECT_EQ(RewrittenTo("", "TO:"), "To: @members.example.jp\r\n");
  EXPECT_EQ(RewrittenTo("", "TO:A,,B"),
            "To: a@members.example.jp, @members.example.jp, b@members.example.jp\r\n");
  EXPECT_EQ(RewrittenTo("", "TO:INE,INET:x@example.com, INET:y,INET:,C,"),
            "To: ine@members.example.jp, x@example.com,  inet:y@members.example.jp, , "
            "c@members.example.jp, \r\n");
}

TEST_F(SentAndAbsenceTest, RecipientElementsAndLinesOfAnyLengthAreWhole) {
  const std::string longId(300, 'A');
  EXPECT_EQ(RewrittenTo("Sales", "TO:" + longId),
            "To: Sales <" + std::string(300, 'a') + "@members.example.jp>\r\n");
  std::string list = "TO:";
  std::string expected = "To: ";
  // Long enough to reach the writer in several parts.
  for (int i = 0; i < 10000; ++i) {
    list += (i == 0 ? "" : ",") + std::string("INET:user") + std::to_string(i) + "@example.com";
    expected += (i == 0 ? "" : ", ") + std::string("user") + std::to_string(i) + "@example.com";
  }
  ASSERT_GT(list.size(), 200000u);
  EXPECT_EQ(RewrittenTo("Sales", list), expected + "\r\n");
}

TEST_F(SentAndAbsenceTest, AbsenceNoticeNamesTheMemberFromItsTitle) {
  EXPECT_EQ(ConvertOne(kind::kAbsenceNotice, CrLfLines({"ABC12345 is away", "Back on Monday."})),
            "Subject: " + Sjis("不在通知") + "\r\n" +
                "From: abc12345@members.example.jp\r\n"
                "To: N <U>\r\n"
                "Date: 14 Jun 2001 16:24:00\r\n"
                "Back on Monday.\r\n");
  EXPECT_EQ(ConvertOne(kind::kAbsenceNotice, "AB\r\n"),
            "Subject: " + Sjis("不在通知") + "\r\n" +
                "From: ab@members.example.jp\r\nTo: N <U>\r\nDate: 14 Jun 2001 16:24:00\r\n");
}

TEST_F(SentAndAbsenceTest, IndexTimeIsShownInLocalTime) {
  const std::string body =
      FirstMailBody(ConvertLog(MailLogBuilder().AddMail(kind::kSent, "x\r\n", 0)));
  EXPECT_EQ(body, "From: N <U>\r\nDate: 01 Jan 1970 09:00:00\r\n");
  const std::string before1970 =
      ConvertLog(MailLogBuilder().AddMail(kind::kSent, "x\r\n", -86400)).mailbox;
  EXPECT_EQ(before1970,
            "From - Wed Dec 31 09:00:00 1969\r\nFrom: N <U>\r\nDate: 31 Dec 1969 09:00:00\r\n");
}

}  // namespace
}  // namespace mixconv::testing
