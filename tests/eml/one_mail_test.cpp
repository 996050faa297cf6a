// One mail alone, as a front end shows it: its file of the .eml folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job/user_conversion.h"
#include "log_builder/sjis_text.h"
#include "tests/support/conversion_harness.h"

namespace mixconv::testing {
namespace {

constexpr std::int32_t kJune14 = 992503440;

TEST(OneMailTest, IsItsFileInTheEmlFolderAndAMailThatIsNotThereSaysWhy) {
  PinTimeZone();
  TempDir dir;
  MailLogBuilder()
      .AddMail(kind::kReceived,
               CrLfLines({"Desk", Sjis("送信者情報"),
                          Sjis("受信日時　　　　　　：") + "ABC12345  2001/06/14 16:24",
                          Sjis("題名：") + "Meeting", "", "From the desk", "Hello."}),
               kJune14)
      .AddMail(kind::kBinary, "binary data\r\n", kJune14 + 1)
      .AddMail(kind::kSent, CrLfLines({"Desk", "TO:ABC12345", Sjis("SUB:Minutes"), "Sent."}),
               kJune14 + 2)
      .WriteFiles(dir.path() / "LOG");
  LineCollector lines;
  ActiveResultLog = &lines;
  const UserFields fields{(dir.path() / "LOG.MIX").string(), "Taro", "taro@example.jp"};
  ASSERT_TRUE(ConvertForUser("mixconv", fields, *OutputFor(MessageForm::Readable, Destination::EmlFolder)).complete);
  for (const std::uint32_t number : {1U, 3U}) {
    const std::optional<MailFile> mail = EmlFileForUser("mixconv", fields, number);
    ASSERT_TRUE(mail) << number;
    EXPECT_EQ(mail->bytes, ReadFileBytes(dir.path() / "LOG.eml-files" / mail->name)) << number;
  }
  lines.lines.clear();
  for (const std::uint32_t number : {2U, 4U, 0U}) {
    EXPECT_FALSE(EmlFileForUser("mixconv", fields, number)) << number;
  }
  ActiveResultLog = nullptr;
  EXPECT_EQ(lines.lines, (std::vector<std::string>{
                             "skip one binary mail.",
                             "mixconv: mail 4 is not in the index, which counts 3.",
                             "mixconv: mail 0 is not in the index, which counts 3.",
                         }));
}

}  // namespace
}  // namespace mixconv::testing
