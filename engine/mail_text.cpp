#include "mail_text.h"

#include <array>

#include "mail_reader.h"

namespace mixconv {

namespace {

std::array<char, kLineBufferSize> LineBuffer;

}  // namespace

MailText::MailText(const MailIndexEntry& entry, std::FILE* textFile)
    : entry_(entry), textFile_(textFile) {
  BeginMail(consumed_);
}

int MailText::ReadPiece() {
  const int result = ReadMailLine(LineBuffer.data(), kLineBufferSize, entry_, textFile_, consumed_);
  pieceStartsLine_ = nextPieceStartsLine_;
  // Bytes of a failed read never count as part of a line.
  pieceLength_ = result > 0 ? result : 0;
  nextPieceStartsLine_ = result <= 0 || LineBuffer[static_cast<std::size_t>(result - 1)] == '\n';
  return result;
}

std::string_view MailText::Piece() const {
  return {LineBuffer.data(), static_cast<std::size_t>(pieceLength_)};
}

void MailText::SkipRestOfLine() {
  while (LineContinues() && ReadPiece() > 0) {
  }
}

void MailText::SkipLine() {
  ReadPiece();
  SkipRestOfLine();
}

}  // namespace mixconv
