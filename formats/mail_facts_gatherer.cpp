#include "formats/mail_facts_gatherer.h"

#include "charset/ascii.h"
#include "engine/line_text.h"
#include "formats/header_fields.h"
#include "formats/message_id.h"

namespace mixconv {

namespace {

constexpr std::string_view kFromFieldName = "from";

MailboxText Decoded(const AddressSpan& mailbox, Cp932Decoder& decoder) {
  MailboxText text;
  text.displayName = decoder.Decode(mailbox.displayName, true);
  text.address = decoder.Decode(mailbox.address, true);
  return text;
}

}  // namespace

void MailFactsGatherer::BeginMail(const MailStart& start) {
  facts_ = {};
  facts_.number = start.number;
  facts_.time = start.time;
  part_ = Part::Header;
  atLineStart_ = true;
  lineContinues_ = false;
  subjectSeen_ = false;
  inSubject_ = false;
  subjectEncoded_ = false;
  gatewayField_ = GatewayField::Other;
  messageIdSeen_ = false;
  messageIdValue_.clear();
  fromSeen_ = false;
  inFrom_ = false;
  // What a mail that stopped a run left in the decoder goes nowhere.
  decoder_.Decode({}, true);
}

// The readable form writes a part that is not ASCII as encoded-words, after a
// space where text came before; a reader drops that space only after another
// encoded-word.
void MailFactsGatherer::TakeSubject(std::string_view value, bool endOfText) {
  const std::string_view text = decoder_.Decode(value, endOfText);
  if (text.empty()) {
    return;
  }
  const bool encoded = !IsAscii(text);
  if (encoded && !facts_.subject.empty() && !subjectEncoded_) {
    facts_.subject += ' ';
  }
  facts_.subject += text;
  subjectEncoded_ = encoded;
}

// The From line's first mailbox; a line without any gives its text, as the
// readable form writes it.
void MailFactsGatherer::TakeSender(const HeaderLineView& line, std::string_view value) {
  if (!line.addresses.empty()) {
    facts_.sender = Decoded(line.addresses.front(), decoder_);
    inFrom_ = false;
  } else {
    facts_.sender.address += decoder_.Decode(value, !line.continues);
  }
}

void MailFactsGatherer::TakeHeaderLine(const HeaderLineView& line) {
  const bool firstPart = !lineContinues_;
  lineContinues_ = line.continues;
  // A sent mail's "SUB:" line after its text has started stays in the text.
  if (part_ == Part::Body) {
    return;
  }
  std::string_view value = line.bytes;
  if (firstPart) {
    value.remove_prefix(FieldPrefixLength(value));
    inSubject_ = line.field == HeaderField::Subject && !subjectSeen_;
    subjectSeen_ = subjectSeen_ || inSubject_;
    inFrom_ = line.field == HeaderField::From && !fromSeen_;
    fromSeen_ = fromSeen_ || inFrom_;
  }
  if (!line.continues) {
    value = WithoutLineEnd(value);
  }
  switch (line.field) {
    case HeaderField::Subject:
      if (inSubject_) {
        TakeSubject(value, !line.continues);
      }
      break;
    case HeaderField::From:
      if (inFrom_) {
        TakeSender(line, value);
      }
      break;
    case HeaderField::To:
      for (const AddressSpan& mailbox : line.addresses) {
        if (facts_.recipients.size() < MailFacts::kMaxRecipients) {
          facts_.recipients.push_back(Decoded(mailbox, decoder_));
        } else {
          ++facts_.recipientsLeftOut;
        }
      }
      break;
    case HeaderField::Date:
      break;
  }
}

void MailFactsGatherer::TakeGatewayLine(std::string_view bytes) {
  if (atLineStart_ && !IsFoldedLine(bytes)) {
    const std::string_view name = FieldName(bytes);
    gatewayField_ = GatewayField::Other;
    if (EqualIgnoringAsciiCase(name, kFromFieldName) && facts_.sender.address.empty() &&
        facts_.sender.displayName.empty()) {
      gatewayField_ = GatewayField::From;
    } else if (EqualIgnoringAsciiCase(name, kMessageIdFieldName) && !messageIdSeen_) {
      gatewayField_ = GatewayField::MessageId;
      messageIdSeen_ = true;
    }
    bytes.remove_prefix(name.size() + 1);
    if (gatewayField_ == GatewayField::From && bytes.starts_with(' ')) {
      bytes.remove_prefix(1);
    }
  } else if (atLineStart_ && gatewayField_ == GatewayField::From) {
    // The sender shown is the field's first line.
    gatewayField_ = GatewayField::Other;
  }
  std::string_view text = bytes;
  if (text.ends_with('\n')) {
    text.remove_suffix(1);
  }
  if (text.ends_with('\r')) {
    text.remove_suffix(1);
  }
  if (gatewayField_ == GatewayField::From) {
    facts_.sender.address += decoder_.Decode(text, true);
  } else if (gatewayField_ == GatewayField::MessageId) {
    messageIdValue_ += text;
  }
}

void MailFactsGatherer::TakeCopiedLine(const CopiedLine& line) {
  if (part_ != Part::Body && line.fromGateway) {
    const bool headerGoesOn =
        atLineStart_
            ? IsAscii(line.bytes) && (IsFoldedLine(line.bytes) ? part_ == Part::GatewayHeader
                                                               : IsHeaderFieldLine(line.bytes))
            : part_ == Part::GatewayHeader;
    part_ = headerGoesOn ? Part::GatewayHeader : Part::Body;
    if (headerGoesOn) {
      TakeGatewayLine(line.bytes);
    }
  } else {
    part_ = Part::Body;
  }
  if (!line.bytes.empty()) {
    atLineStart_ = line.bytes.back() == '\n';
  }
}

void MailFactsGatherer::EndMail() {
  if (messageIdSeen_) {
    facts_.messageId = NormalisedMessageId(messageIdValue_);
  }
}

}  // namespace mixconv
