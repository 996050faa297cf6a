#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "charset/cp932_decoder.h"
#include "formats/encoded_words.h"
#include "formats/mbox_framing.h"
#include "formats/message_id.h"
#include "formats/utf8_mail_writer.h"

namespace mixconv {
namespace {

class StringSink final : public MessageSink {
 public:
  void Write(std::string_view bytes) override { text.append(bytes); }
  std::string text;
};

std::string Base64Decode(std::string_view digits) {
  static constexpr std::string_view kDigits =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  unsigned group = 0;
  int bits = 0;
  for (const char digit : digits.substr(0, digits.find('='))) {
    group = (group << 6) | static_cast<unsigned>(kDigits.find(digit));
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<char>((group >> bits) & 0xFF));
    }
  }
  return bytes;
}

const std::regex kIdLine("\nMessage-ID: (<[0-9a-f]{32}@mixconv\\.invalid>)\n");

// Message-ID lines of the writer's form, each replaced by "Message-ID: <ID>".
std::string MaskedIds(const std::string& text) {
  return std::regex_replace(text, kIdLine, "\nMessage-ID: <ID>\n");
}

// The writer's Message-ID in the header of a message.
std::string IdOf(const std::string& message) {
  const std::string header = message.substr(0, message.find("\n\n"));
  std::smatch match;
  return std::regex_search(header, match, kIdLine) ? match[1].str() : "no Message-ID";
}

bool EndsBetweenCharacters(std::string_view utf8) {
  std::size_t i = utf8.size();
  while (i > 0 && (static_cast<unsigned char>(utf8[i - 1]) & 0xC0) == 0x80) {
    --i;
  }
  if (i == 0) {
    return utf8.empty();
  }
  const auto lead = static_cast<unsigned char>(utf8[i - 1]);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  return utf8.size() - (i - 1) == length;
}

TEST(Cp932DecoderTest, DecodesPieceByPieceAndReplacesWhatIsNotCodePage932) {
  Cp932Decoder decoder;
  EXPECT_EQ(decoder.Decode("plain ASCII, long enough for whole words\r\n", false),
            "plain ASCII, long enough for whole words\r\n");
  EXPECT_EQ(decoder.Decode("\x81\x60\x87\x40\xB1", false), "\uFF5E\u2460\uFF71");
  // DOS's end-of-file mark and its neighbours stay themselves, as in Microsoft's table.
  EXPECT_EQ(decoder.Decode("\x1A\x1C\x7F", false), "\x1A\x1C\x7F");
  EXPECT_FALSE(decoder.TakeInvalidSeen());

  // A character split between two pieces comes out whole, in the second.
  EXPECT_EQ(decoder.Decode("ab\x82", false), "ab");
  EXPECT_EQ(decoder.Decode("\xA0"
                           "cd",
                           false),
            "\u3042cd");
  EXPECT_FALSE(decoder.TakeInvalidSeen());

  // A lead byte before a line end, an unassigned pair, a lead byte at the very end.
  EXPECT_EQ(decoder.Decode("\x82\x1A", false), "\uFFFD\x1A");
  EXPECT_TRUE(decoder.TakeInvalidSeen());
  EXPECT_EQ(decoder.Decode("x\x82\r\n\x85\x40"
                           "y\x82",
                           true),
            "x\uFFFD\r\n\uFFFDy\uFFFD");
  EXPECT_TRUE(decoder.TakeInvalidSeen());
  EXPECT_FALSE(decoder.TakeInvalidSeen());
  EXPECT_EQ(decoder.Decode("\x82", false), "");
  EXPECT_EQ(decoder.Decode("", true), "\uFFFD");
}

TEST(EncodedWordsTest, WordsHoldWholeCharactersAndLinesStayShort) {
  std::string text = "a";
  for (int i = 0; i < 20; ++i) {
    text += "長\xF0\x9F\x98\x80z";  // one, four and three bytes
  }
  std::string out = "Subject: ";
  AppendEncodedWords(text, out.size(), out);

  std::string decoded;
  std::size_t lineStart = 0;
  for (std::size_t start = out.find("=?UTF-8?B?"); start != std::string::npos;
       start = out.find("=?UTF-8?B?", start + 1)) {
    const std::size_t digits = start + 10;
    const std::string word = Base64Decode(out.substr(digits, out.find("?=", digits) - digits));
    EXPECT_TRUE(EndsBetweenCharacters(word)) << word;
    decoded += word;
  }
  EXPECT_EQ(decoded, text);
  for (std::size_t end = out.find('\n');; end = out.find('\n', lineStart)) {
    const std::size_t lineEnd = end == std::string::npos ? out.size() : end;
    EXPECT_LE(lineEnd - lineStart, 76U) << out;
    if (end == std::string::npos) {
      break;
    }
    lineStart = end + 1;
    EXPECT_EQ(out[lineStart], ' ');
  }
}

TEST(Utf8MailWriterTest, DateLinesGainTheZoneOfTheirLocalTime) {
  ::setenv("TZ", "EST5EDT", 1);
  ::tzset();
  Utf8MailWriter writer("test");
  StringSink sink;
  constexpr std::int32_t kWinter = 979315200;  // 2001-01-12 16:00 UTC
  constexpr std::int32_t kSummer = 992534400;  // 2001-06-14 16:00 UTC
  writer.WriteHeaderLine({HeaderField::Date, "Date: 12 Jan 2001 11:00:00\r\n", {}, kWinter}, sink);
  writer.WriteHeaderLine({HeaderField::Date, "Date: 14 Jun 2001 12:00:00\r\n", {}, kSummer}, sink);
  ::setenv("TZ", "IST-5:30", 1);
  ::tzset();
  writer.WriteHeaderLine({HeaderField::Date, "Date: 14 Jun 2001 21:30:00\r\n", {}, kSummer}, sink);
  EXPECT_EQ(sink.text,
            "Date: 12 Jan 2001 11:00:00 -0500\n"
            "Date: 14 Jun 2001 12:00:00 -0400\n"
            "Date: 14 Jun 2001 21:30:00 +0530\n");
  ::setenv("TZ", "JST-9", 1);
  ::tzset();
}

// Two gateway mails, one with its own Date and one without, written piece by piece
// as the engine hands them over, into a Unix mbox.
TEST(Utf8MailWriterTest, MailsEndInAnEmptyLineWithLfLineEndsAndEveryMailHasADate) {
  ::setenv("TZ", "JST-9", 1);
  ::tzset();
  constexpr std::int32_t kIndexTime = 992535840;  // 2001-06-14 16:24 UTC
  Utf8MailWriter writer("test");
  StringSink sink;
  MboxFraming mbox(kUnixMboxStyle, sink);
  const auto mail = [&](std::initializer_list<std::string_view> pieces, bool needsLineEnd) {
    mbox.BeginMessage(kIndexTime);
    writer.BeginMail({1, kIndexTime}, mbox);
    writer.WriteHeaderLine({HeaderField::Subject, "Subject: Re\r\n", {}, kIndexTime}, mbox);
    for (const std::string_view piece : pieces) {
      writer.WriteCopiedLine({piece, true}, mbox);
    }
    writer.EndMail({1, needsLineEnd}, mbox);
    mbox.EndMessage();
  };
  mail({"Date: Thu, 14 Jun 2001 09:00:00 -0700\r\n", "\r\n", "one\r", "\ntwo\rstill two\r\n"},
       false);
  // Its own Message-ID is kept, and no other added.
  mail({"From: a@example.com\r\n", "Message-Id: <own@example.com>\r\n", "body\r"}, true);
  EXPECT_EQ(MaskedIds(sink.text),
            "From - Fri Jun 15 01:24:00 2001\n"
            "Subject: Re\n"
            "Date: Thu, 14 Jun 2001 09:00:00 -0700\n"
            "Message-ID: <ID>\n"
            "MIME-Version: 1.0\n"
            "Content-Type: text/plain; charset=UTF-8\n"
            "Content-Transfer-Encoding: 8bit\n"
            "\n"
            "one\n"
            "two\rstill two\n"
            "\n"
            "From - Fri Jun 15 01:24:00 2001\n"
            "Subject: Re\n"
            "From: a@example.com\n"
            "Message-Id: <own@example.com>\n"
            "Date: 15 Jun 2001 01:24:00 +0900\n"
            "MIME-Version: 1.0\n"
            "Content-Type: text/plain; charset=UTF-8\n"
            "Content-Transfer-Encoding: 8bit\n"
            "\n"
            "body\n"
            "\n");
}

// A line longer than the engine holds at once arrives in parts; it reads as one.
TEST(Utf8MailWriterTest, LinesInPartsAreWrittenAsOne) {
  Utf8MailWriter writer("test");
  StringSink sink;
  const std::string part1 = "To: a@x, b@x, ";
  const AddressSpan first[] = {{{}, std::string_view(part1).substr(4, 3)},
                               {{}, std::string_view(part1).substr(9, 3)}};
  writer.WriteHeaderLine({HeaderField::To, part1, first, 0, true}, sink);
  const std::string part2 = "c@x\r\n";
  const AddressSpan second[] = {{{}, std::string_view(part2).substr(0, 3)}};
  writer.WriteHeaderLine({HeaderField::To, part2, second, 0, false}, sink);
  // The subject's parts split a character: its lead byte ends the first.
  writer.WriteHeaderLine({HeaderField::Subject, "Subject: \x8E", {}, 0, true}, sink);
  writer.WriteHeaderLine({HeaderField::Subject, "\x52\x93\x63\r\n", {}, 0, false}, sink);
  // Two parts of encoded words: a fold keeps them apart.
  writer.WriteHeaderLine({HeaderField::Subject, "Subject: \x8E\x52", {}, 0, true}, sink);
  writer.WriteHeaderLine({HeaderField::Subject, "\x93\x63\r\n", {}, 0, false}, sink);
  EXPECT_EQ(sink.text,
            "To: a@x, b@x, c@x\n"
            "Subject: =?UTF-8?B?5bGx55Sw?=\n"
            "Subject: =?UTF-8?B?5bGx?=\n =?UTF-8?B?55Sw?=\n");
}

// Words are assembled across pieces: every split of the bytes gives one ID.
TEST(MessageIdHashTest, TheSameBytesInAnyPiecesGiveOneId) {
  const std::string bytes = "Subject: 21 bytes of\0";
  MessageIdHash whole;
  whole.Add(bytes);
  for (std::size_t first = 0; first <= bytes.size(); ++first) {
    for (std::size_t second = first; second <= bytes.size(); ++second) {
      MessageIdHash pieces;
      pieces.Add(std::string_view(bytes).substr(0, first));
      pieces.Add(std::string_view(bytes).substr(first, second - first));
      pieces.Add(std::string_view(bytes).substr(second));
      ASSERT_EQ(pieces.Id(), whole.Id()) << first << " " << second;
    }
  }
  MessageIdHash shorter;
  shorter.Add(std::string_view(bytes).substr(0, bytes.size() - 1));
  EXPECT_NE(shorter.Id(), whole.Id());
}

struct MailParts {
  std::uint32_t number = 1;
  std::int32_t time = 992535840;
  std::string subject = "Subject: S\r\n";
  std::vector<std::string> pieces = {"From here\r\n", "text\r\n"};
};

std::string WriteMail(Utf8MailWriter& writer, const MailParts& mail) {
  StringSink sink;
  writer.BeginMail({mail.number, mail.time}, sink);
  writer.WriteHeaderLine({HeaderField::Subject, mail.subject, {}, mail.time}, sink);
  writer.WriteHeaderLine({HeaderField::Date, "Date: 15 Jun 2001 01:24:00\r\n", {}, mail.time},
                         sink);
  for (const std::string& piece : mail.pieces) {
    writer.WriteCopiedLine({piece}, sink);
  }
  writer.EndMail({mail.number, false}, sink);
  return sink.text;
}

TEST(Utf8MailWriterTest, MessageIdsAreTheSameForTheSameMailAndDifferForOthers) {
  ::setenv("TZ", "JST-9", 1);
  ::tzset();
  Utf8MailWriter writer("test");
  const MailParts base;
  const std::string written = WriteMail(writer, base);
  EXPECT_EQ(MaskedIds(written),
            "Subject: S\nDate: 15 Jun 2001 01:24:00 +0900\nMessage-ID: <ID>\nMIME-Version: 1.0\n"
            "Content-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: quoted-printable\n"
            "\n=46rom here\ntext\n");
  // A mail that stopped a run leaves nothing behind for the next.
  StringSink cut;
  writer.BeginMail({base.number, base.time}, cut);
  writer.WriteCopiedLine({"cut \x82"}, cut);
  EXPECT_EQ(WriteMail(writer, base), written);

  MailParts otherPieces = base;
  otherPieces.pieces = {"From he", "re\r", "\ntext\r\n"};
  Utf8MailWriter otherWriter("other");
  for (const MailParts& same : {base, otherPieces}) {
    EXPECT_EQ(IdOf(WriteMail(otherWriter, same)), IdOf(written));
  }

  std::set<std::string> ids = {IdOf(written)};
  MailParts variants[4] = {base, base, base, base};
  variants[0].number = 2;
  variants[1].time += 1;
  variants[2].subject = "Subject: T\r\n";
  variants[3].pieces.back() = "texts\r\n";
  for (const MailParts& variant : variants) {
    ids.insert(IdOf(WriteMail(writer, variant)));
  }
  EXPECT_EQ(ids.size(), std::size(variants) + 1);
}

// Memory stays bounded: a longer text is written as it comes, and the mbox's own
// quoting keeps its From lines from splitting the mail.
TEST(Utf8MailWriterTest, TextsBeyondTheHeldLimitStay8bitWithTheirFromLinesQuoted) {
  constexpr std::size_t kMax = Utf8MailWriter::kMaxHeldBody;
  const std::string first = "From here\n";
  const std::string last = ">From there\n";
  const struct {
    std::size_t fillerLength;
    std::string_view encoding;
    std::string_view firstLine;
  } cases[] = {
      {kMax - first.size() - last.size() - 1, "quoted-printable", "=46rom here\n"},
      {kMax - first.size(), "8bit", ">From here\n"},
  };
  for (const auto& [fillerLength, encoding, firstLine] : cases) {
    Utf8MailWriter writer("test");
    StringSink sink;
    MboxFraming mbox(kUnixMboxStyle, sink);
    MailParts mail;
    mail.pieces = {first, std::string(fillerLength, '~') + "\n", last};
    mbox.BeginMessage(mail.time);
    mbox.Write(WriteMail(writer, mail));
    mbox.EndMessage();
    EXPECT_NE(sink.text.find("\nContent-Transfer-Encoding: " + std::string(encoding) + "\n"),
              std::string::npos);
    EXPECT_NE(sink.text.find("\n" + std::string(firstLine)), std::string::npos) << encoding;
    // Only the separator is a From line, and the second line keeps its text either way.
    EXPECT_EQ(sink.text.find("\nFrom "), std::string::npos) << encoding;
    EXPECT_EQ(sink.text.find("\n>From there"), std::string::npos) << encoding;
    EXPECT_EQ(std::count(sink.text.begin(), sink.text.end(), '~'), fillerLength) << encoding;
    EXPECT_NE(IdOf(sink.text), "no Message-ID");
    EXPECT_TRUE(sink.text.ends_with("\n\n"));
  }
}

}  // namespace
}  // namespace mixconv
