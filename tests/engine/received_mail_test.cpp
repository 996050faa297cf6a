#include <gtest/gtest.h>

#include <string>

#include "log_builder/sjis_text.h"
#include "tests/support/conversion_harness.h"

namespace mixconv::testing {
namespace {

const std::string kTitle = Sjis("題名：");
const std::string kUndelivered = Sjis("不達：");
const std::string kLine3Prefix(22, '.');

std::string ReceivedMail(std::string_view title, std::string_view line3, std::string_view subject,
                         std::string_view body = "Hello.\r\n") {
  return CrLfLines({title, "any text", line3, subject, "any text"}) + std::string(body);
}

std::string ConvertReceived(const std::string& text) {
  return FirstMailBody(ConvertLog(MailLogBuilder().AddMail(kind::kReceived, text)));
}

class ReceivedMailTest : public ::testing::Test {
 protected:
  void SetUp() override { PinTimeZone(); }
};

TEST_F(ReceivedMailTest, WorkedExample) {
  const Conversion conversion = ConvertLog(MailLogBuilder().AddMail(
      kind::kReceived,
      ReceivedMail("Sales Desk      further text", kLine3Prefix + "ABC12345  2001/06/14 16:24",
                   kTitle + "Meeting")));
  EXPECT_EQ(conversion.mailbox,
            "From - Thu Jan 01 09:00:00 1970\r\n"
            "Subject: Meeting\r\n"
            "From: Sales Desk <abc12345@members.example.jp>\r\n"
            "To: N <U>\r\n"
            "Date: 14 Jun 2001 16:24:00\r\n"
            "Hello.\r\n");
  EXPECT_EQ(conversion.lines, (std::vector<std::string>{"convert 1/1 mail"}));
  EXPECT_TRUE(conversion.outcome.complete);
}

TEST_F(ReceivedMailTest, YearsOfTwoDigitsAreTwentiethCentury) {
  const auto dateLine = [](std::string_view date) {
    const std::string body = ConvertReceived(
        ReceivedMail("Sales Desk", kLine3Prefix + "ABC12345 " + std::string(date) + " 16:24",
                     kTitle + "Meeting"));
    const std::size_t start = body.find("Date: ");
    return body.substr(start, body.find("\r\n", start) - start);
  };
  EXPECT_EQ(dateLine("01/06/14"), "Date: 14 Jun 1901 16:24:00");
  EXPECT_EQ(dateLine("99/12/03"), "Date: 03 Dec 1999 16:24:00");
  EXPECT_EQ(dateLine("2001/01/31"), "Date: 31 Jan 2001 16:24:00");
}

TEST_F(ReceivedMailTest, SenderNameLosesTrailingBlanksButNeverHalfACharacter) {
  const std::string ideographicSpace = Sjis("　");
  const std::string kanji = Sjis("山");
  const auto fromLine = [](const std::string& title) {
    const std::string body = ConvertReceived(
        ReceivedMail(title, kLine3Prefix + "ABC12345 2001/06/14 16:24", kTitle + "S"));
    const std::size_t start = body.find("From: ");
    return body.substr(start, body.find("\r\n", start) - start);
  };
  EXPECT_EQ(fromLine("Desk" + ideographicSpace + "  " + ideographicSpace + "      rest"),
            "From: Desk <abc12345@members.example.jp>");
  EXPECT_EQ(fromLine(std::string(16, ' ') + "rest"), "From: abc12345@members.example.jp");
  EXPECT_EQ(fromLine(std::string(15, 'x') + kanji + "rest"),
            "From: " + std::string(15, 'x') + kanji + " <abc12345@members.example.jp>");
  EXPECT_EQ(fromLine(std::string(16, 'x') + kanji),
            "From: " + std::string(16, 'x') + " <abc12345@members.example.jp>");
  // 0xEA still leads a double-byte character; 0xEB does not.
  EXPECT_EQ(fromLine(std::string(15, 'x') + "\xEA\x40rest"),
            "From: " + std::string(15, 'x') + "\xEA\x40 <abc12345@members.example.jp>");
  EXPECT_EQ(fromLine(std::string(15, 'x') + "\xEB\x40rest"),
            "From: " + std::string(15, 'x') + "\xEB <abc12345@members.example.jp>");
}

TEST_F(ReceivedMailTest, UndeliveredNoticeNamesTheRecipientAsIs) {
  EXPECT_EQ(ConvertReceived(ReceivedMail(kUndelivered + "XYZ00001  more",
                                         kLine3Prefix + "MAILER 2001/06/14 16:24",
                                         kTitle + "Meeting", "")),
            "Subject: " + kUndelivered + "Meeting\r\n" +
                "From: XYZ00001@members.example.jp\r\n"
                "To: N <U>\r\n"
                "Date: 14 Jun 2001 16:24:00\r\n");
}

TEST_F(ReceivedMailTest, GatewayMailGetsOnlyItsSubject) {
  EXPECT_EQ(ConvertReceived(ReceivedMail("INET GATE", kLine3Prefix + "GATE 2001/06/14 16:24",
                                         "   " + kTitle + "Hi")),
            "Subject: Hi\r\nHello.\r\n");
}

TEST_F(ReceivedMailTest, ValuesStayInsideTheirLines) {
  // The first mail leaves a long line in LineBuffer; the short title after it must not reach it.
  const std::string first = ReceivedMail("Sales", kLine3Prefix + "A 2001/06/14 16:24",
                                         kTitle + "One", std::string(40, 'Z') + "\r\n");
  // Line 3 without CR: the time ends with the line.
  const std::string second =
      "Desk\r\nx\r\n" + kLine3Prefix + "B 2001/06/14 16:24\n" + kTitle + "Two\r\nx\r\n";
  const Conversion conversion =
      ConvertLog(MailLogBuilder().AddMail(kind::kReceived, first).AddMail(kind::kReceived, second));
  EXPECT_TRUE(
      conversion.mailbox.ends_with("Subject: Two\r\n"
                                   "From: Desk <b@members.example.jp>\r\n"
                                   "To: N <U>\r\n"
                                   "Date: 14 Jun 2001 16:24:00\r\n"))
      << conversion.mailbox;
}

// No text is lost to a CR that does not end its line, and a reader must not
// see a header line end at one.
TEST_F(ReceivedMailTest, StrayCarriageReturnsKeepTheTextAroundThem) {
  const std::string origin = kLine3Prefix + "ABC12345 2001/06/14 16:24";
  const std::string atPieceEnd(8192 - kTitle.size() - 1, 's');  // its CR ends LineBuffer's piece
  const struct {
    std::string line3;
    std::string subject;
    std::string expected;
  } cases[] = {
      {origin, "Re\rply", "Subject: Re ply\r\nFrom: Sales <abc12345@"},
      {origin, "Two\r", "Subject: Two \r\nFrom: Sales <abc12345@"},
      {origin, atPieceEnd, "Subject: " + atPieceEnd + "\r\nFrom: Sales <abc12345@"},
      {origin, atPieceEnd + "\rx", "Subject: " + atPieceEnd + " x\r\nFrom: Sales <abc12345@"},
      {kLine3Prefix + "ABC12345\r 2001/06/14 16:24", "S",
       "<abc12345@members.example.jp>\r\nTo: N <U>\r\nDate: 14 Jun 2001 16:24:00\r\n"},
      {kLine3Prefix + "ABC12345 2001/06/14\r16:24", "S", "Date: 14 Jun 2001 16:24:00\r\n"},
  };
  for (const auto& mail : cases) {
    const std::string body =
        ConvertReceived(ReceivedMail("Sales", mail.line3, kTitle + mail.subject));
    EXPECT_NE(body.find(mail.expected), std::string::npos) << mail.expected << "\n" << body;
  }
}

TEST_F(ReceivedMailTest, MonthOutsideTheCalendarFallsBackToTheIndexDate) {
  // The last saturates to the smallest int, where a careless month - 1 overflows.
  for (const std::string month : {"13", "0", "-99999999999"}) {
    const std::string body = ConvertReceived(ReceivedMail(
        "Sales", kLine3Prefix + "ABC 2001/" + month + "/14 16:24", kTitle + "Meeting"));
    EXPECT_NE(body.find("Date: 01 Jan 1970 09:00:00\r\n"), std::string::npos) << body;
  }
}

TEST_F(ReceivedMailTest, EveryMailEndsAtALineEnd) {
  const Conversion conversion = ConvertLog(
      MailLogBuilder()
          .AddMail(kind::kReceived, ReceivedMail("Sales", kLine3Prefix + "B 2001/06/14 16:24",
                                                 kTitle + "First", "no line end"))
          .AddMail(kind::kReceived, "Sales\r\nx\r\n" + kLine3Prefix + "A 2001/06/14 16:24\r\n" +
                                        kTitle + "Cut short"));
  EXPECT_NE(conversion.mailbox.find("Subject: Cut short\r\nFrom: Sales <a@"), std::string::npos);
  EXPECT_NE(conversion.mailbox.find("no line end\r\nFrom - "), std::string::npos);
  EXPECT_TRUE(conversion.mailbox.ends_with("\r\n"));
}

TEST_F(ReceivedMailTest, BodyLinesStartingWithFromAreQuoted) {
  const std::string longLine = std::string(8192, 'x') + "From here on\r\n";
  const std::string body =
      ConvertReceived(ReceivedMail("Sales", kLine3Prefix + "A 2001/06/14 16:24", kTitle + "S",
                                   "From me\r\n>From you\r\n From\r\nFromage\r\n" + longLine));
  EXPECT_TRUE(body.ends_with(">From me\r\n>>From you\r\n From\r\nFromage\r\n" + longLine)) << body;
}

TEST_F(ReceivedMailTest, SubjectOfAnyLengthIsWrittenWhole) {
  for (const std::size_t length : {2100u, 9000u, 20000u}) {
    const std::string subject(length, 's');
    const std::string body = ConvertReceived(
        ReceivedMail("Sales", kLine3Prefix + "A 2001/06/14 16:24", kTitle + subject, "body\r\n"));
    EXPECT_TRUE(body.starts_with("Subject: " + subject + "\r\nFrom: Sales <a@")) << length;
    EXPECT_TRUE(body.ends_with("Date: 14 Jun 2001 16:24:00\r\nbody\r\n")) << length;
  }
}

TEST_F(ReceivedMailTest, FourLinesGiveHeadersAndNoBody) {
  const std::string text =
      CrLfLines({"Sales", "x", kLine3Prefix + "A 2001/06/14 16:24", kTitle + "Short"});
  const Conversion conversion = ConvertLog(MailLogBuilder().AddMail(kind::kReceived, text));
  EXPECT_TRUE(FirstMailBody(conversion).ends_with("Date: 14 Jun 2001 16:24:00\r\n"));
  EXPECT_TRUE(conversion.outcome.complete);
}

}  // namespace
}  // namespace mixconv::testing
