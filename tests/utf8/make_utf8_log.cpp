// Writes the mail log that read_utf8_mailbox.py converts with --utf8 and reads back.
// Usage: make_utf8_log BASE   (writes BASE.MIX and BASE.TXT)
#include <string>

#include "log_builder/mail_log_builder.h"
#include "log_builder/sjis_text.h"

namespace {

using mixconv::log_builder::CrLfLines;
using mixconv::log_builder::MailLogBuilder;
using mixconv::log_builder::Sjis;
namespace kind = mixconv::log_builder::kind;

// Where code page 932 and JIS Shift_JIS differ: ～＼∥－￠￡￢ in code page 932.
constexpr char kCp932Differences[] = "\x81\x60\x81\x5F\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA";
// A lead byte with no trail byte before the line end, and a pair that maps to nothing.
constexpr char kInvalidLine[] = "bad \x82\r\nworse \x85\x40 end\r\n";
constexpr std::int32_t kJune14 = 992503440;

std::string OriginLine(const std::string& memberId, const std::string& dateTime) {
  return Sjis("受信日時　　　　　　：") + memberId + "  " + dateTime;
}

std::string ReceivedMail(const std::string& titleLine, const std::string& dateTime,
                         const std::string& subject, std::initializer_list<std::string_view> body) {
  std::string text = CrLfLines({titleLine, Sjis("送信者情報"), OriginLine("ABC12345", dateTime),
                                Sjis("題名：") + subject, ""});
  return text + CrLfLines(body);
}

MailLogBuilder Utf8Log() {
  MailLogBuilder log;
  // 1: the characters that differ, in the subject and the text; "From " lines:
  // the first line of the text, one quoted already, one after a line too long
  // for one line of quoted-printable, one where such a line breaks; "=" and
  // white space at a line's end.
  std::string longLine;
  for (int i = 0; i < 4; ++i) {
    longLine += Sjis("長い本文の行です。");
  }
  log.AddMail(
      kind::kReceived,
      ReceivedMail(Sjis("営業部　佐藤") + "    ", "2001/06/14 16:24", kCp932Differences,
                   {"From the desk", kCp932Differences, ">From the archive", longLine,
                    "From the end", std::string(75, 'x') + "From the margin", "a =41 b\tc \t"}),
      kJune14);
  // 2: a subject long enough to be folded; the text starts with an empty line.
  std::string longSubject;
  for (int i = 0; i < 6; ++i) {
    longSubject += Sjis("長い件名の試験です。");
  }
  log.AddMail(kind::kReceived,
              ReceivedMail("J. Smith", "2001/06/15 09:05", longSubject, {"", "Hello."}),
              kJune14 + 1);
  // 3: bytes that are not code page 932.
  log.AddMail(kind::kReceived,
              ReceivedMail(Sjis("佐藤"), "2001/06/16 10:00", "ok", {}) + kInvalidLine, kJune14 + 2);
  // 4: gateway mail, whose text starts with the Internet mail's own header lines,
  // its Message-ID among them, and whose body starts with a "From " line.
  log.AddMail(kind::kReceived,
              ReceivedMail("INET GATE", "2001/06/16 21:40", "Re: photos",
                           {"From: Friend <friend@example.com>", "Message-ID: <photos@example.com>",
                            "Content-Type: text/plain;", " charset=ISO-2022-JP", "",
                            "From Tokyo:", Sjis("写真が届きました。")}),
              kJune14 + 3);
  log.AddMail(kind::kBinary, "binary file data\r\n", kJune14 + 4);
  // 6: sent mail to one member, who gets the title line's name.
  log.AddMail(kind::kSent,
              CrLfLines({Sjis("鈴木　一郎"), "TO:ABC12345", Sjis("SUB:議事録の送付"),
                         Sjis("議事録を送ります。")}),
              kJune14 + 5);
  // 7: absence notice; its Date comes from the index time.
  log.AddMail(kind::kAbsenceNotice,
              CrLfLines({"DEF67890" + Sjis("さんは不在です"), Sjis("出張中です。")}), kJune14 + 6);
  // 8: headers only.
  log.AddMail(kind::kReceived, ReceivedMail("Desk", "2001/06/17 08:00", "empty", {}), kJune14 + 7);
  // 9 and 10: texts whose first line a reader could take for a header line.
  log.AddMail(kind::kReceived,
              ReceivedMail("Desk", "2001/06/18 12:00", "indented", {"  Dear member,", "Thanks."}),
              kJune14 + 8);
  log.AddMail(kind::kReceived,
              ReceivedMail("Desk", "2001/06/19 12:00", "phone", {"TEL:03-1234-5678", "Call me."}),
              kJune14 + 9);
  return log;
}

}  // namespace

int main(int argc, char** argv) {
  return mixconv::log_builder::WriteLogMain(argc, argv, "make_utf8_log", Utf8Log);
}
