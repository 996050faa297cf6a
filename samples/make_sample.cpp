// Writes the bundled sample mail log, SAMPLE.MIX and SAMPLE.TXT: one mail of every kind.
// Usage: make_sample BASE   (writes BASE.MIX and BASE.TXT)
#include <string>

#include "log_builder/mail_log_builder.h"
#include "log_builder/sjis_text.h"

namespace {

using mixconv::log_builder::CrLfLines;
using mixconv::log_builder::MailLogBuilder;
using mixconv::log_builder::Sjis;
namespace kind = mixconv::log_builder::kind;

constexpr std::uint8_t kBinaryAttr = 0x08;

// Line 3 of a received mail: 22 bytes of the service's own text, then ID, date and time.
std::string OriginLine(const std::string& memberId, const std::string& dateTime) {
  return Sjis("受信日時　　　　　　：") + memberId + "  " + dateTime;
}

MailLogBuilder SampleLog() {
  const std::string subject = Sjis("題名：");
  MailLogBuilder log;
  log.AddMail(kind::kReceived,
              CrLfLines({Sjis("営業部　佐藤") + "    " + Sjis("会議のお知らせ"), Sjis("送信者情報"),
                         OriginLine("ABC12345", "2001/06/14 16:24"), subject + Sjis("定例会議"), "",
                         Sjis("来週の定例会議は木曜日です。"), "From the sales desk, with regards.",
                         Sjis("佐藤")}),
              992503440);
  log.AddMail(
      kind::kReceived,
      CrLfLines({Sjis("不達：") + "XYZ00001  ", Sjis("配送エラー"),
                 OriginLine("MAILER", "2001/06/15 09:05"), "  " + subject + Sjis("お元気ですか"),
                 "", Sjis("宛先のメンバーIDが見つかりません。")}),
      992563500);
  log.AddMail(kind::kReceived,
              CrLfLines({"INET GATE", "Internet mail", OriginLine("INETGATE", "2001/06/16 21:40"),
                         subject + "Re: photos", "", "From: friend@example.com",
                         "The photos arrived, thank you."}),
              992695200);
  log.AddMail(kind::kBinary, "binary file data\r\n", 992700000);
  log.AddMail(kind::kSent,
              CrLfLines({Sjis("鈴木　一郎"), "TO:ABC12345,XYZ00001,INET:ichiro@example.com",
                         Sjis("SUB:議事録の送付"), Sjis("議事録を送ります。"), Sjis("～山田～")}),
              992781000);
  log.AddMail(
      kind::kAbsenceNotice,
      CrLfLines({"DEF67890" + Sjis("さんは不在です"), Sjis("６月２０日まで出張のため不在です。")}),
      992850000);
  return log;
}

}  // namespace

int main(int argc, char** argv) {
  return mixconv::log_builder::WriteLogMain(argc, argv, "make_sample", SampleLog);
}
