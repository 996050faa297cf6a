#include "destinations/mailbox_pieces.h"

#include <algorithm>

namespace mixconv {

MailboxPieces::MailboxPieces(const MboxStyle& style, PieceReceiver& receiver)
    : receiver_(receiver), framing_(style, mailboxBytes_) {
  piece_.reserve(kPieceSize);
}

bool MailboxPieces::Open(const std::string&) {
  piece_.clear();
  messages_ = 0;
  return true;
}

void MailboxPieces::Put(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t taken = std::min(bytes.size(), kPieceSize - piece_.size());
    piece_.append(bytes.substr(0, taken));
    bytes.remove_prefix(taken);
    if (piece_.size() == kPieceSize) {
      HandOn();
    }
  }
}

void MailboxPieces::HandOn() {
  if (!piece_.empty()) {
    receiver_.TakePiece(piece_);
    piece_.clear();
  }
}

void MailboxPieces::EndMessage(const MailFacts&) {
  framing_.EndMessage();
  ++messages_;
}

DestinationOutcome MailboxPieces::Close(bool) {
  framing_.ReleaseHeld();
  HandOn();
  return {messages_, true, true, {}};
}

}  // namespace mixconv
