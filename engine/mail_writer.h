// How a mail's parts become a message's bytes. The engine decides what a mail
// says; a MailWriter (formats/ has the forms) decides how it is written; a
// destination (mail_destination.h) decides where messages go and how they are
// framed there.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "mail_facts.h"

namespace mixconv {

// Where a writer puts a message's bytes.
class MessageSink {
 public:
  virtual void Write(std::string_view bytes) = 0;

 protected:
  ~MessageSink() = default;
};

struct MailStart {
  std::uint32_t number = 0;  // the mail's place in the index, counted from 1
  std::int32_t time = 0;     // the mail's index time
};

enum class HeaderField { Subject, From, To, Date };

// One mailbox of a From or To line; the display name is empty when it has none.
struct AddressSpan {
  std::string_view displayName;
  std::string_view address;
};

// A synthesised header line, or a part of one: a line of any length (a long
// recipient list, say) comes in parts, each holding whole mailboxes. Its parts
// point into bytes, the line as the default form writes it (CR LF included in
// the last part), and are valid during the call only.
struct HeaderLineView {
  HeaderField field = HeaderField::Subject;
  std::string_view bytes;
  std::span<const AddressSpan> addresses;  // From and To
  std::int32_t time = 0;                   // Date: the mail's index time
  bool continues = false;                  // more of this line comes in the next call
};

// A piece of a copied line: the whole line, or a part of one longer than the
// reader's buffer.
struct CopiedLine {
  std::string_view bytes;
  // The mail came through the Internet gateway: its text starts with that
  // mail's own header lines.
  bool fromGateway = false;
};

struct MailEnd {
  std::uint32_t number = 0;   // the mail's place in the index, counted from 1
  bool needsLineEnd = false;  // the last piece did not end its line
};

class MailWriter {
 public:
  virtual ~MailWriter() = default;
  virtual void BeginMail(const MailStart& start, MessageSink& out) = 0;
  virtual void WriteHeaderLine(const HeaderLineView& line, MessageSink& out) = 0;
  virtual void WriteCopiedLine(const CopiedLine& line, MessageSink& out) = 0;
  // Ends the mail at a line end.
  virtual void EndMail(const MailEnd& end, MessageSink& out) = 0;
  // What the mail that EndMail ended is about, its Message-ID as written.
  virtual const MailFacts& Facts() const = 0;
};

// How far the local time that separator and Date lines show for this index
// time is ahead of UTC, in seconds.
int LocalTimeOffset(std::int32_t seconds);

// The index time in local time as "DD Mon YYYY hh:mm:ss", the Date line's form.
void AppendIndexDate(std::string& out, std::int32_t seconds);

}  // namespace mixconv
