#include "formats/utf8_mail_writer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "charset/ascii.h"
#include "engine/convert.h"
#include "engine/line_text.h"
#include "formats/encoded_words.h"
#include "formats/header_fields.h"
#include "formats/quoted_printable.h"

namespace mixconv {

namespace {

// The engine's lines end in CR LF; Unix mbox readers (mutt) show a CR left before a separator.
constexpr std::string_view kLogLineEnd = "\r\n";
constexpr std::string_view kLineEnd = "\n";
constexpr std::string_view kCarriageReturn = "\r";
constexpr std::string_view kDateField = "Date: ";
constexpr std::string_view kDateFieldName = "date";
constexpr std::string_view kMessageIdField = "Message-ID: ";
constexpr std::string_view kMimeLines =
    "MIME-Version: 1.0\n"
    "Content-Type: text/plain; charset=UTF-8\n"
    "Content-Transfer-Encoding: ";
constexpr std::string_view kEightBit = "8bit\n";
constexpr std::string_view kQuotedPrintable = "quoted-printable\n";
constexpr std::string_view kAddressSeparator = ", ";
constexpr std::string_view kFoldedAddressSeparator = ",\n ";
constexpr std::string_view kAddressStart = " <";
constexpr std::string_view kAddressEnd = ">";
// A gateway mail's own MIME fields described its original text, not ours.
constexpr std::string_view kRenamedFieldPrefix = "X-Original-";
constexpr std::array<std::string_view, 3> kMimeFieldNames = {"mime-version", "content-type",
                                                             "content-transfer-encoding"};
constexpr std::string_view kSpecials = "()<>[]:;@\\,.\"";
constexpr std::size_t kMaxLineLength = 76;
constexpr char kInvalidBytesFormat[] = "%s: mail %u: bytes that are not Shift_JIS became U+FFFD";
constexpr int kSecondsPerMinute = 60;
constexpr int kMinutesPerHour = 60;

bool IsMimeField(std::string_view name) {
  return std::any_of(
      kMimeFieldNames.begin(), kMimeFieldNames.end(),
      [name](std::string_view mimeName) { return EqualIgnoringAsciiCase(name, mimeName); });
}

bool HoldsFromLine(std::string_view text) {
  for (std::size_t start = 0; start < text.size();) {
    if (ReadsAsFromLine(text.substr(start))) {
      return true;
    }
    const std::size_t end = text.find(kLineEnd, start);
    start = end == std::string_view::npos ? text.size() : end + kLineEnd.size();
  }
  return false;
}

}  // namespace

Utf8MailWriter::Utf8MailWriter(std::string programName) : programName_(std::move(programName)) {}

std::size_t Utf8MailWriter::Column() const {
  const std::size_t lineEnd = line_.rfind('\n');
  return lineEnd == std::string::npos ? lineColumn_ + line_.size() : line_.size() - lineEnd - 1;
}

void Utf8MailWriter::AppendValue(std::string_view bytes, bool endOfText) {
  const std::string_view text = decoder_.Decode(bytes, endOfText);
  if (IsAscii(text)) {
    line_ += text;
  } else {
    // An encoded-word must not touch what an earlier part ended with.
    if (valueWritten_) {
      line_ += kFoldingWhiteSpace;
    }
    AppendEncodedWords(text, Column(), line_);
  }
  valueWritten_ = valueWritten_ || !text.empty();
}

void Utf8MailWriter::AppendDisplayName(std::string_view bytes) {
  const std::string_view text = decoder_.Decode(bytes, true);
  if (!IsAscii(text)) {
    AppendEncodedWords(text, Column(), line_);
  } else if (text.find_first_of(kSpecials) == std::string_view::npos) {
    line_ += text;
  } else {
    line_ += '"';
    for (const char byte : text) {
      if (byte == '"' || byte == '\\') {
        line_ += '\\';
      }
      line_ += byte;
    }
    line_ += '"';
  }
}

void Utf8MailWriter::AppendAddresses(std::span<const AddressSpan> addresses) {
  for (const AddressSpan& mailbox : addresses) {
    if (addressesWritten_) {
      const bool fits = Column() + kAddressSeparator.size() + mailbox.displayName.size() +
                            mailbox.address.size() + kAddressStart.size() + kAddressEnd.size() <=
                        kMaxLineLength;
      line_ += fits ? kAddressSeparator : kFoldedAddressSeparator;
    }
    addressesWritten_ = true;
    if (!mailbox.displayName.empty()) {
      AppendDisplayName(mailbox.displayName);
      line_ += kAddressStart;
    }
    line_ += decoder_.Decode(mailbox.address, true);
    if (!mailbox.displayName.empty()) {
      line_ += kAddressEnd;
    }
  }
}

void Utf8MailWriter::AppendZone(std::int32_t time) {
  const int offsetMinutes = LocalTimeOffset(time) / kSecondsPerMinute;
  const int magnitude = std::abs(offsetMinutes);
  std::array<char, 8> zone{};
  std::snprintf(zone.data(), zone.size(), " %c%02d%02d", offsetMinutes < 0 ? '-' : '+',
                magnitude / kMinutesPerHour % 100, magnitude % kMinutesPerHour);
  line_ += zone.data();
}

void Utf8MailWriter::WriteHeaderLine(const HeaderLineView& line, MessageSink& out) {
  facts_.TakeHeaderLine(line);
  if (mail_.part == Part::Body) {
    // A sent mail's "SUB:" line after a copied line: it stays where it was, in the text.
    WriteCopiedLine({line.bytes}, out);
    return;
  }
  // The Date line's text may follow the run's time zone; the index time in the
  // hash already stands for it.
  if (line.field != HeaderField::Date) {
    mail_.id.Add(line.bytes);
  }
  const bool firstPart = !mail_.lineContinues;
  mail_.lineContinues = line.continues;
  std::size_t fieldLength = 0;
  if (firstPart) {
    fieldLength = FieldPrefixLength(line.bytes);
    lineColumn_ = 0;
    addressesWritten_ = false;
    valueWritten_ = false;
  }
  std::string_view value = line.bytes.substr(fieldLength);
  if (!line.continues) {
    value.remove_suffix(kLogLineEnd.size());
  }
  line_.assign(line.bytes.substr(0, fieldLength));
  switch (line.field) {
    case HeaderField::Subject:
      AppendValue(value, !line.continues);
      break;
    case HeaderField::From:
    case HeaderField::To:
      AppendAddresses(line.addresses);
      if (!addressesWritten_) {
        AppendValue(value, !line.continues);
      }
      break;
    case HeaderField::Date:
      line_ += value;
      AppendZone(line.time);
      mail_.hasDate = true;
      break;
  }
  if (!line.continues) {
    line_ += kLineEnd;
  }
  out.Write(line_);
  lineColumn_ = Column();
}

bool Utf8MailWriter::ContinuesGatewayHeader(const CopiedLine& line) const {
  if (!line.fromGateway) {
    return false;
  }
  if (!mail_.atLineStart) {
    return mail_.part == Part::GatewayHeader;
  }
  if (!IsAscii(line.bytes)) {
    return false;
  }
  return IsFoldedLine(line.bytes) ? mail_.part == Part::GatewayHeader
                                  : IsHeaderFieldLine(line.bytes);
}

void Utf8MailWriter::FinishHeader(std::string_view transferEncoding, MessageSink& out) {
  // A gateway mail without a Date of its own: readers would show none, or today's.
  if (!mail_.hasDate) {
    line_.assign(kDateField);
    AppendIndexDate(line_, mail_.time);
    AppendZone(mail_.time);
    line_ += kLineEnd;
    out.Write(line_);
  }
  if (!mail_.hasMessageId) {
    std::string id = mail_.id.Id();
    line_.assign(kMessageIdField);
    line_ += id;
    line_ += kLineEnd;
    facts_.SetMessageId(std::move(id));
    out.Write(line_);
  }
  out.Write(kMimeLines);
  out.Write(transferEncoding);
  if (!body_.starts_with(kLineEnd)) {
    out.Write(kLineEnd);
  }
}

void Utf8MailWriter::WriteHeldBodyQuoted(MessageSink& out) {
  line_.clear();
  for (std::string_view text = body_; !text.empty();) {
    const std::size_t end = text.find(kLineEnd);
    AppendQuotedPrintableLine(text.substr(0, end), line_, out);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + kLineEnd.size());
  }
  out.Write(line_);
}

void Utf8MailWriter::BeginMail(const MailStart& start, MessageSink&) {
  facts_.BeginMail(start);
  mail_ = {};
  mail_.time = start.time;
  mail_.id.AddNumber(start.number);
  mail_.id.AddNumber(static_cast<std::uint32_t>(start.time));
  body_.clear();
  // What a mail that stopped a run left in the decoder goes nowhere.
  decoder_.Decode({}, true);
  decoder_.TakeInvalidSeen();
}

void Utf8MailWriter::WriteCopiedLine(const CopiedLine& line, MessageSink& out) {
  facts_.TakeCopiedLine(line);
  if (mail_.bodyHeld) {
    mail_.id.Add(line.bytes);
  }
  if (mail_.part != Part::Body && ContinuesGatewayHeader(line)) {
    if (mail_.atLineStart) {
      const std::string_view name = FieldName(line.bytes);
      if (IsMimeField(name)) {
        out.Write(kRenamedFieldPrefix);
      }
      mail_.hasDate = mail_.hasDate || EqualIgnoringAsciiCase(name, kDateFieldName);
      mail_.hasMessageId = mail_.hasMessageId || EqualIgnoringAsciiCase(name, kMessageIdFieldName);
    }
    WriteText(line.bytes, false, out);
    mail_.part = Part::GatewayHeader;
  } else {
    mail_.part = Part::Body;
    WriteText(line.bytes, false, out);
    if (mail_.bodyHeld && body_.size() > kMaxHeldBody) {
      FinishHeader(kEightBit, out);
      out.Write(body_);
      body_.clear();
      mail_.bodyHeld = false;
    }
  }
  if (!line.bytes.empty()) {
    mail_.atLineStart = line.bytes.back() == '\n';
  }
}

void Utf8MailWriter::Emit(std::string_view text, MessageSink& out) {
  if (mail_.part == Part::Body && mail_.bodyHeld) {
    body_ += text;
  } else {
    out.Write(text);
  }
}

void Utf8MailWriter::WriteText(std::string_view bytes, bool endOfText, MessageSink& out) {
  std::string_view text = decoder_.Decode(bytes, endOfText);
  if (mail_.pendingCr && !text.empty()) {
    mail_.pendingCr = false;
    if (text.front() != '\n') {
      Emit(kCarriageReturn, out);
    }
  }
  for (std::size_t lineEnd = text.find(kLogLineEnd); lineEnd != std::string_view::npos;
       lineEnd = text.find(kLogLineEnd)) {
    Emit(text.substr(0, lineEnd), out);
    Emit(kLineEnd, out);
    text.remove_prefix(lineEnd + kLogLineEnd.size());
  }
  if (text.ends_with(kCarriageReturn)) {
    mail_.pendingCr = true;
    text.remove_suffix(kCarriageReturn.size());
  }
  Emit(text, out);
}

void Utf8MailWriter::EndMail(const MailEnd& end, MessageSink& out) {
  facts_.EndMail();
  WriteText({}, true, out);
  // A CR that ends the text ends its last line.
  if (end.needsLineEnd || mail_.pendingCr) {
    Emit(kLineEnd, out);
  }
  if (mail_.bodyHeld) {
    // Readers decode quoted-printable; mbox tools then see no line to quote or split at.
    if (HoldsFromLine(body_)) {
      FinishHeader(kQuotedPrintable, out);
      WriteHeldBodyQuoted(out);
    } else {
      FinishHeader(kEightBit, out);
      out.Write(body_);
    }
  }
  if (decoder_.TakeInvalidSeen()) {
    std::array<char, 256> message{};
    std::snprintf(message.data(), message.size(), kInvalidBytesFormat, programName_.c_str(),
                  static_cast<unsigned>(end.number));
    ReportLine(message.data());
  }
}

}  // namespace mixconv
