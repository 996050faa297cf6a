// The --utf8 form: MIME mail that today's readers show without any setting
// changed. Texts are decoded from code page 932, header values that are not
// ASCII become RFC 2047 encoded-words, Date lines get their zone, and lines end
// in LF, as Unix mail programs keep them.
#pragma once

#include <string>

#include "charset/cp932_decoder.h"
#include "engine/mail_writer.h"

namespace mixconv {

class Utf8MailWriter final : public MailWriter {
 public:
  // programName starts the report line of a mail with bytes that are not code page 932.
  explicit Utf8MailWriter(std::string programName);

  void BeginMail(const MailStart& start, MessageSink& out) override;
  void WriteHeaderLine(const HeaderLineView& line, MessageSink& out) override;
  void WriteCopiedLine(const CopiedLine& line, MessageSink& out) override;
  void EndMail(const MailEnd& end, MessageSink& out) override;

 private:
  enum class Part { Header, GatewayHeader, Body };

  // The column that the next byte appended to line_ lands in.
  std::size_t Column() const;
  void AppendValue(std::string_view bytes, bool endOfText);
  void AppendDisplayName(std::string_view bytes);
  void AppendAddresses(std::span<const AddressSpan> addresses);
  void AppendZone(std::int32_t time);
  bool ContinuesGatewayHeader(const CopiedLine& line) const;
  void StartBody(std::string_view firstPiece, MessageSink& out);
  void WriteText(std::string_view bytes, bool endOfText, MessageSink& out);

  std::string programName_;
  Cp932Decoder decoder_;
  std::string line_;            // reused for each header line, or part of one, as written
  std::size_t lineColumn_ = 0;  // where line_ starts: after the part before it
  bool lineContinues_ = false;
  bool addressesWritten_ = false;
  bool valueWritten_ = false;
  Part part_ = Part::Header;
  bool atLineStart_ = true;
  bool pendingCr_ = false;  // a CR that ended a piece: its LF may start the next
  bool hasDate_ = false;
  std::int32_t mailTime_ = 0;
};

}  // namespace mixconv
