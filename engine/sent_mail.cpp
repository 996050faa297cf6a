// Sent mail (kind 2): the user's own outgoing mail, with its "TO:" and "SUB:" lines.
#include "common_parts.h"
#include "convert_one_mail.h"
#include "header_line.h"
#include "line_text.h"

namespace mixconv {

namespace {

constexpr std::string_view kToPrefix = "TO:";
constexpr std::string_view kSubjectPrefix = "SUB:";
constexpr std::string_view kInternetPrefix = "INET:";
constexpr int kRewritableLines = 2;

// The recipient list ends at the line's end or at a NUL.
std::string_view RecipientBytes(std::string_view piece) { return UpToNul(UpToLineEnd(piece)); }

// Rewrites the comma-separated recipient list of a "TO:" line element by element.
// It takes the list in pieces, so an element of any length is written whole.
class RecipientListWriter {
 public:
  RecipientListWriter(HeaderLine& line, std::string_view senderName, bool multipleRecipients)
      : line_(line), displayName_(multipleRecipients ? std::string_view{} : senderName) {}

  void Feed(std::string_view bytes) {
    for (const char byte : bytes) {
      Take(byte);
    }
  }

  // The first element counts even when empty; one after a trailing comma does not.
  void Finish() {
    if (state_ == State::Prefix) {
      OpenMemberElement();
    }
    if (state_ == State::Member) {
      CloseMemberElement();
    } else if (state_ == State::Internet) {
      line_.EndAddress();
    }
  }

 private:
  enum class State { Prefix, Internet, Member, AfterComma };

  void Take(char byte) {
    if (state_ == State::AfterComma) {
      state_ = State::Prefix;
      prefixMatched_ = 0;
    }
    if (byte == ',') {
      Finish();
      line_.Append(", ");
      line_.PassOnIfLong();
      state_ = State::AfterComma;
      return;
    }
    switch (state_) {
      case State::AfterComma:
      case State::Prefix:
        if (byte == kInternetPrefix[prefixMatched_]) {
          if (++prefixMatched_ == kInternetPrefix.size()) {
            state_ = State::Internet;
            line_.BeginAddress();
          }
          return;
        }
        OpenMemberElement();
        line_.AppendLowerCase({&byte, 1});
        return;
      case State::Internet:
        line_.Append({&byte, 1});
        return;
      case State::Member:
        line_.AppendLowerCase({&byte, 1});
        return;
    }
  }

  // Starts a member element, with the bytes that first looked like the start of "INET:".
  void OpenMemberElement() {
    if (!displayName_.empty()) {
      line_.AppendDisplayName(displayName_).Append(" <");
    }
    line_.BeginAddress().AppendLowerCase(kInternetPrefix.substr(0, prefixMatched_));
    state_ = State::Member;
  }

  void CloseMemberElement() {
    AppendMailDomain(line_);
    line_.EndAddress();
    if (!displayName_.empty()) {
      line_.Append(">");
    }
  }

  HeaderLine& line_;
  std::string_view displayName_;
  State state_ = State::Prefix;
  std::size_t prefixMatched_ = 0;
};

// Only a first element that ends at a comma within the first piece is seen here;
// a member ID longer than LineBuffer is not a real one.
bool HasMultipleRecipients(std::string_view list) {
  return list.find(',') != std::string_view::npos;
}

void WriteToLine(MailText& text, std::string_view senderName, MailOutput& out) {
  const std::string_view listStart = text.Piece().substr(kToPrefix.size());
  HeaderLine line(HeaderField::To, out);
  line.Append("To: ");
  RecipientListWriter recipients(line, senderName,
                                 HasMultipleRecipients(RecipientBytes(listStart)));
  ForEachValuePiece(text, listStart, RecipientBytes,
                    [&recipients](std::string_view bytes) { recipients.Feed(bytes); });
  recipients.Finish();
  line.Finish();
}

void WriteSubjectLine(MailText& text, MailOutput& out) {
  HeaderLine line(HeaderField::Subject, out);
  line.Append("Subject: ");
  AppendRestOfLine(line, text, text.Piece().substr(kSubjectPrefix.size()));
  line.Finish();
}

}  // namespace

int ConvertSentMail(const MailIndexEntry& entry, MailText& text, std::string_view senderName,
                    MailOutput& out) {
  WriteUserLine(HeaderField::From, "From: ", out);
  WriteIndexDateLine(entry.time, out);

  int lineNumber = 0;
  while (text.ReadPiece() > 0) {
    const bool rewritable = text.PieceStartsLine() && lineNumber++ < kRewritableLines;
    const std::string_view piece = text.Piece();
    if (rewritable && piece.starts_with(kToPrefix)) {
      WriteToLine(text, senderName, out);
    } else if (rewritable && piece.starts_with(kSubjectPrefix)) {
      WriteSubjectLine(text, out);
    } else {
      out.WriteCopiedLine(piece);
    }
  }
  return 0;
}

}  // namespace mixconv
