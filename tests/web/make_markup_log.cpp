// Writes the log whose mails the web page's test opens for markup and searches
// in half-width katakana: mail 1's subject, sender and text hold HTML that
// would run script if the page took it for markup; mail 4 went to two members.
// Usage: make_markup_log BASE   (writes BASE.MIX and BASE.TXT)
#include <string>

#include "log_builder/mail_log_builder.h"
#include "log_builder/sjis_text.h"

namespace {

using mixconv::log_builder::CrLfLines;
using mixconv::log_builder::MailLogBuilder;
using mixconv::log_builder::Sjis;
namespace kind = mixconv::log_builder::kind;

constexpr std::int32_t kJuly1 = 993945600;

std::string ReceivedMail(const std::string& sender, const std::string& subject,
                         std::initializer_list<std::string_view> body) {
  return CrLfLines({sender, Sjis("送信者情報"),
                    Sjis("受信日時　　　　　　：") + "ABC12345  2001/07/01 09:00",
                    Sjis("題名：") + subject, ""}) +
         CrLfLines(body);
}

MailLogBuilder MarkupLog() {
  MailLogBuilder log;
  log.AddMail(kind::kReceived,
              ReceivedMail("<b>Desk</b>", "<script>window.markupRan = true</script>",
                           {"<script>alert('script ran'); window.markupRan = true;</script>",
                            "<b>bold?</b> <img src=x onerror=\"window.markupRan = true\">",
                            Sjis("ﾃﾞｰﾀﾍﾞｰｽのﾊﾟｽﾜｰﾄﾞ")}),
              kJuly1);
  log.AddMail(kind::kReceived,
              ReceivedMail("Desk", Sjis("お知らせ"), {Sjis("データベースを移します。")}),
              kJuly1 + 1);
  log.AddMail(kind::kReceived, ReceivedMail("Desk", Sjis("別件"), {Sjis("データの話です。")}),
              kJuly1 + 2);
  log.AddMail(kind::kSent,
              CrLfLines({Sjis("鈴木　一郎"), "TO:ABC12345,XYZ00001", Sjis("SUB:日程の件"),
                         Sjis("お二人に送ります。")}),
              kJuly1 + 3);
  return log;
}

}  // namespace

int main(int argc, char** argv) {
  return mixconv::log_builder::WriteLogMain(argc, argv, "make_markup_log", MarkupLog);
}
