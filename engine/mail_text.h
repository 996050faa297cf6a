// One mail's text as the converter walks it: pieces of lines in LineBuffer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "mail_index.h"

namespace mixconv {

inline constexpr int kLineBufferSize = 8192;

class MailText {
 public:
  // Starts reading at the entry's first byte; the text file is already positioned.
  MailText(const MailIndexEntry& entry, std::FILE* textFile);
  MailText(const MailText&) = delete;
  MailText& operator=(const MailText&) = delete;

  // Reads the next line into LineBuffer, or its next 8192 bytes when it is longer.
  // Returns ReadMailLine's result: a byte count, 0 at the end, -1 on a read error.
  int ReadPiece();
  // The bytes of the last piece; empty after the end or a read error.
  std::string_view Piece() const;
  // False for a piece that continues a line longer than LineBuffer.
  bool PieceStartsLine() const { return pieceStartsLine_; }
  // Reads and drops what is left of the current line.
  void SkipRestOfLine();
  // Reads one line and drops it whole.
  void SkipLine();

 private:
  bool LineContinues() const { return !nextPieceStartsLine_; }

  const MailIndexEntry& entry_;
  std::FILE* textFile_;
  std::uint32_t consumed_ = 0;
  int pieceLength_ = 0;
  bool pieceStartsLine_ = true;
  bool nextPieceStartsLine_ = true;
};

}  // namespace mixconv
