// The --utf8 form: MIME mail that today's readers show without any setting
// changed. Texts are decoded from code page 932, header values that are not
// ASCII become RFC 2047 encoded-words, Date lines get their zone, and lines end
// in LF, as Unix mail programs keep them. Every mail gets a Message-ID that is
// the same on every run, and a text holding a line an mbox would take for a
// separator is quoted-printable, so that every reader shows that line as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "charset/cp932_decoder.h"
#include "engine/mail_writer.h"
#include "formats/mail_facts_gatherer.h"
#include "formats/message_id.h"

namespace mixconv {

class Utf8MailWriter final : public MailWriter {
 public:
  // programName starts the report line of a mail with bytes that are not code page 932.
  explicit Utf8MailWriter(std::string programName);

  // The header's last lines (Message-ID, Content-Transfer-Encoding) depend on
  // the whole text, so the text is held until the mail ends. A longer text is
  // written as it comes, 8bit, its Message-ID hashed from the mail up to there;
  // its "From " lines then get the mbox's own ">" quoting, which some readers show.
  static constexpr std::size_t kMaxHeldBody = std::size_t{4} << 20;

  void BeginMail(const MailStart& start, MessageSink& out) override;
  void WriteHeaderLine(const HeaderLineView& line, MessageSink& out) override;
  void WriteCopiedLine(const CopiedLine& line, MessageSink& out) override;
  void EndMail(const MailEnd& end, MessageSink& out) override;
  const MailFacts& Facts() const override { return facts_.Facts(); }

 private:
  enum class Part { Header, GatewayHeader, Body };

  // Fresh for each mail: nothing of a mail that stopped a run carries into the next.
  struct Mail {
    Part part = Part::Header;
    bool lineContinues = false;
    bool atLineStart = true;
    bool pendingCr = false;  // a CR that ended a piece: its LF may start the next
    bool hasDate = false;
    bool hasMessageId = false;
    bool bodyHeld = true;  // the text goes to body_, and the header is not finished
    std::int32_t time = 0;
    MessageIdHash id;
  };

  // The column that the next byte appended to line_ lands in.
  std::size_t Column() const;
  void AppendValue(std::string_view bytes, bool endOfText);
  void AppendDisplayName(std::string_view bytes);
  void AppendAddresses(std::span<const AddressSpan> addresses);
  void AppendZone(std::int32_t time);
  bool ContinuesGatewayHeader(const CopiedLine& line) const;
  // The header's last lines, and the empty line that ends it unless the text starts with one.
  void FinishHeader(std::string_view transferEncoding, MessageSink& out);
  void WriteHeldBodyQuoted(MessageSink& out);
  void WriteText(std::string_view bytes, bool endOfText, MessageSink& out);
  // Text goes to the held body while there is one, else out.
  void Emit(std::string_view text, MessageSink& out);

  std::string programName_;
  Cp932Decoder decoder_;
  std::string line_;  // reused for each header line, or part of one, and quoted text, as written
  std::size_t lineColumn_ = 0;  // where line_ starts: after the part before it
  bool addressesWritten_ = false;
  bool valueWritten_ = false;
  std::string body_;  // the text as written in 8bit; keeps its room from mail to mail
  Mail mail_;
  MailFactsGatherer facts_;
};

}  // namespace mixconv
