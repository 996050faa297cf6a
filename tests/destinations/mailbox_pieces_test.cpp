// A mailbox handed on in pieces is NAME.mbx's bytes, in pieces of one size.
#include "destinations/mailbox_pieces.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job/mailbox_job.h"
#include "log_builder/sjis_text.h"
#include "tests/support/conversion_harness.h"

namespace mixconv::testing {
namespace {

constexpr int kMails = 120;
constexpr std::size_t kLinesPerMail = 2000;  // about 6 MB in all: three pieces at least

class Pieces final : public PieceReceiver {
 public:
  void TakePiece(std::string_view bytes) override { pieces.emplace_back(bytes); }
  std::vector<std::string> pieces;
};

TEST(MailboxPiecesTest, AreTheMailboxFileInPiecesOfOneSize) {
  PinTimeZone();
  TempDir dir;
  MailLogBuilder log;
  for (int mail = 0; mail < kMails; ++mail) {
    std::string text = CrLfLines({"Desk", "TO:ABC12345", Sjis("SUB:Minutes")});
    for (std::size_t line = 0; line < kLinesPerMail; ++line) {
      text += line % 7 == 0 ? "From the desk, line " : "A line of the minutes, ";
      text += std::to_string(line) + "\r\n";
    }
    log.AddMail(kind::kSent, text, 992503440 + mail);
  }
  log.WriteFiles(dir.path() / "LOG");
  const std::string index = (dir.path() / "LOG.MIX").string();
  for (const MessageForm form : {MessageForm::Readable, MessageForm::Original}) {
    LineCollector lines;
    ActiveResultLog = &lines;
    ASSERT_TRUE(ConvertLog({"mixconv", index.c_str(), "N", "U"}, form, Destination::Mbox).complete);
    Pieces receiver;
    MailboxPieces mailbox(MailboxStyle(form), receiver);
    const ConversionOutcome outcome =
        ConvertLogInto({"mixconv", index.c_str(), "N", "U"}, form, mailbox);
    ActiveResultLog = nullptr;
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(outcome.converted, static_cast<std::uint32_t>(kMails));
    ASSERT_GT(receiver.pieces.size(), 2U);
    std::string joined;
    for (std::size_t piece = 0; piece < receiver.pieces.size(); ++piece) {
      if (piece + 1 < receiver.pieces.size()) {
        EXPECT_EQ(receiver.pieces[piece].size(), MailboxPieces::kPieceSize) << piece;
      }
      joined += receiver.pieces[piece];
    }
    EXPECT_EQ(joined, ReadFileBytes(dir.path() / "LOG.mbx"));
  }
}

}  // namespace
}  // namespace mixconv::testing
