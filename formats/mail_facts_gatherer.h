// Gathers a mail's facts from the parts every writer sees, decoded from code
// page 932 as the readable form decodes them.
#pragma once

#include <string>

#include "charset/cp932_decoder.h"
#include "engine/mail_facts.h"
#include "engine/mail_writer.h"

namespace mixconv {

class MailFactsGatherer {
 public:
  void BeginMail(const MailStart& start);
  void TakeHeaderLine(const HeaderLineView& line);
  void TakeCopiedLine(const CopiedLine& line);
  void EndMail();
  // A Message-ID the writer made for a mail without one of its own.
  void SetMessageId(std::string id) { facts_.messageId = std::move(id); }
  const MailFacts& Facts() const { return facts_; }

 private:
  enum class Part { Header, GatewayHeader, Body };
  enum class GatewayField { Other, From, MessageId };

  void TakeSubject(std::string_view value, bool endOfText);
  void TakeSender(const HeaderLineView& line, std::string_view value);
  void TakeGatewayLine(std::string_view bytes);

  Cp932Decoder decoder_;
  MailFacts facts_;
  Part part_ = Part::Header;
  bool atLineStart_ = true;
  bool lineContinues_ = false;
  bool subjectSeen_ = false;     // the first Subject line is the mail's
  bool inSubject_ = false;       // the line going by is that one
  bool subjectEncoded_ = false;  // its last text that was not empty was encoded
  bool fromSeen_ = false;        // the first From line is the mail's
  bool inFrom_ = false;          // the line going by is that one, and no mailbox came yet
  GatewayField gatewayField_ = GatewayField::Other;
  bool messageIdSeen_ = false;
  std::string messageIdValue_;
};

}  // namespace mixconv
