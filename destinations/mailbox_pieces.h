// A mailbox handed on in pieces as it is written, framed as NAME.mbx is, for a
// front end that keeps it elsewhere (the web page makes each piece a Blob at
// once): never held whole, and never written to a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/mail_destination.h"
#include "formats/mbox_framing.h"

namespace mixconv {

class PieceReceiver {
 public:
  // bytes are valid during the call only.
  virtual void TakePiece(std::string_view bytes) = 0;

 protected:
  ~PieceReceiver() = default;
};

class MailboxPieces final : public MailDestination {
 public:
  // Pieces of about this size, the last one smaller.
  static constexpr std::size_t kPieceSize = std::size_t{2} << 20;

  MailboxPieces(const MboxStyle& style, PieceReceiver& receiver);
  MailboxPieces(const MailboxPieces&) = delete;
  MailboxPieces& operator=(const MailboxPieces&) = delete;

  bool Open(const std::string& base) override;
  void BeginMessage(const MailStart& start, const MailFacts&) override {
    framing_.BeginMessage(start.time);
  }
  void Write(std::string_view bytes) override { framing_.Write(bytes); }
  void EndMessage(const MailFacts&) override;
  bool Failed() const override { return false; }
  // Hands on the rest, what a run that stopped inside a message wrote of it included.
  DestinationOutcome Close(bool complete) override;

 private:
  // The mailbox's own bytes, framing included.
  class MailboxBytes final : public MessageSink {
   public:
    explicit MailboxBytes(MailboxPieces& mailbox) : mailbox_(mailbox) {}
    void Write(std::string_view bytes) override { mailbox_.Put(bytes); }

   private:
    MailboxPieces& mailbox_;
  };

  void Put(std::string_view bytes);
  void HandOn();

  PieceReceiver& receiver_;
  MailboxBytes mailboxBytes_{*this};
  MboxFraming framing_;
  std::string piece_;
  std::uint32_t messages_ = 0;
};

}  // namespace mixconv
