// A mail's facts, as the readable writer gathers them: the subject and
// sender as readers show them, and the Message-ID the message holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/string_sink.h"
#include "formats/utf8_mail_writer.h"
#include "formats/verbatim_mail_writer.h"

namespace mixconv {
namespace {

constexpr std::int32_t kTime = 992535840;
constexpr std::string_view kMessageIdField = "\nMessage-ID: ";
// "定例会議" and "山田" in code page 932.
constexpr char kMeeting[] = "\x92\xe8\x97\xe1\x89\xef\x8b\x63";
constexpr char kYamada[] = "\x8e\x52\x93\x63";

struct Part {
  HeaderField field = HeaderField::Subject;
  std::string bytes;
  bool header = true;  // else a copied line
  bool continues = false;
  bool fromGateway = false;
  bool withMailboxes = true;  // a From line gets the test's mailbox
};

Part Header(HeaderField field, std::string bytes, bool continues = false) {
  return {field, std::move(bytes), true, continues, false};
}

Part FromText(std::string bytes) {
  return {HeaderField::From, std::move(bytes), true, false, false, false};
}

Part Copied(std::string bytes, bool fromGateway = false) {
  return {HeaderField::Subject, std::move(bytes), false, false, fromGateway};
}

std::string Write(MailWriter& writer, const std::vector<Part>& parts,
                  const std::vector<AddressSpan>& from) {
  std::string bytes;
  StringSink sink(bytes);
  writer.BeginMail({7, kTime}, sink);
  for (const Part& part : parts) {
    if (!part.header) {
      writer.WriteCopiedLine({part.bytes, part.fromGateway}, sink);
      continue;
    }
    HeaderLineView line{part.field, part.bytes, {}, kTime, part.continues};
    if (part.field == HeaderField::From && part.withMailboxes) {
      line.addresses = from;
    }
    writer.WriteHeaderLine(line, sink);
  }
  writer.EndMail({7, false}, sink);
  return bytes;
}

std::string MessageIdIn(const std::string& message) {
  const std::size_t field = message.find(kMessageIdField);
  if (field == std::string::npos) {
    return {};
  }
  const std::size_t start = field + kMessageIdField.size();
  return message.substr(start, message.find('\n', start) - start);
}

TEST(MailFactsTest, TheSubjectAndSenderAreTheTextReadersShow) {
  const std::string meeting = kMeeting;
  const std::string yamada = kYamada;
  const std::string fromLine = "From: " + yamada + " <m1@members.example.jp>\r\n";
  const std::vector<AddressSpan> from = {
      {std::string_view(fromLine).substr(6, yamada.size()), "m1@members.example.jp"}};
  const struct {
    const char* what;
    std::vector<Part> parts;
    const char* subject;
    const char* sender;
  } cases[] = {
      {"plain", {Header(HeaderField::Subject, "Subject: Re: photos\r\n")}, "Re: photos", ""},
      {"encoded", {Header(HeaderField::Subject, "Subject: " + meeting + "\r\n")}, "定例会議", ""},
      {"in parts, a character split between them",
       {Header(HeaderField::Subject, "Subject: " + meeting.substr(0, 3), true),
        Header(HeaderField::Subject, meeting.substr(3) + "\r\n")},
       "定例会議",
       ""},
      // A reader keeps the space the writer puts before encoded-words after plain text.
      {"plain, then encoded",
       {Header(HeaderField::Subject, "Subject: Re:", true),
        Header(HeaderField::Subject, meeting + "\r\n")},
       "Re: 定例会議",
       ""},
      {"none", {Header(HeaderField::From, fromLine), Copied("text\r\n")}, "", "山田"},
      {"a From line of text", {FromText("From: Desk\r\n")}, "", "Desk"},
      {"the first of two From lines",
       {Header(HeaderField::From, fromLine), FromText("From: Desk\r\n")},
       "",
       "山田"},
      {"empty", {Header(HeaderField::Subject, "Subject: \r\n")}, "", ""},
      {"the first of two",
       {Header(HeaderField::Subject, "Subject: one\r\n"),
        Header(HeaderField::Subject, "Subject: two\r\n")},
       "one",
       ""},
      {"a subject line in the text stays there",
       {Copied("text\r\n"), Header(HeaderField::Subject, "Subject: late\r\n")},
       "",
       ""},
      {"gateway",
       {Header(HeaderField::Subject, "Subject: news\r\n"),
        Copied("From: someone@example.com\r\n", true), Copied("Subject: other\r\n", true),
        Copied("\r\n", true), Copied("From: not a field\r\n", true)},
       "news",
       "someone@example.com"},
  };
  for (const auto& [what, parts, subject, sender] : cases) {
    Utf8MailWriter writer("test");
    Write(writer, parts, from);
    EXPECT_EQ(writer.Facts().subject, subject) << what;
    const MailboxText& shown = writer.Facts().sender;
    EXPECT_EQ(shown.displayName.empty() ? shown.address : shown.displayName, sender) << what;
    EXPECT_EQ(writer.Facts().number, 7U) << what;
    EXPECT_EQ(writer.Facts().time, kTime) << what;
  }
}

TEST(MailFactsTest, TheMessageIdIsTheOneTheMessageHolds) {
  const struct {
    const char* what;
    std::vector<Part> parts;
    const char* gatewayId;  // nullptr: the readable writer makes one
  } cases[] = {
      {"made", {Header(HeaderField::Subject, "Subject: S\r\n"), Copied("text\r\n")}, nullptr},
      {"the gateway mail's own",
       {Header(HeaderField::Subject, "Subject: S\r\n"),
        Copied("Message-ID: <a1@example.com>\r\n", true), Copied("\r\n", true)},
       "<a1@example.com>"},
      {"the gateway mail's own, folded",
       {Header(HeaderField::Subject, "Subject: S\r\n"), Copied("message-id:\r\n", true),
        Copied(" <a2@example.com>\r\n", true), Copied("\r\n", true)},
       "<a2@example.com>"},
  };
  for (const auto& [what, parts, gatewayId] : cases) {
    Utf8MailWriter readable("test");
    const std::string message = Write(readable, parts, {});
    if (gatewayId == nullptr) {
      EXPECT_EQ(readable.Facts().messageId, MessageIdIn(message)) << what;
      EXPECT_FALSE(readable.Facts().messageId.empty()) << what;
    } else {
      EXPECT_EQ(message.find("@mixconv.invalid"), std::string::npos) << what;
      EXPECT_EQ(readable.Facts().messageId, gatewayId) << what;
    }
    MailWriter& original = VerbatimMailWriter();
    Write(original, parts, {});
    EXPECT_EQ(original.Facts().messageId, gatewayId == nullptr ? "" : gatewayId) << what;
  }
}

}  // namespace
}  // namespace mixconv
