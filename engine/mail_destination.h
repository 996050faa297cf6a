// Where converted mail goes: a mailbox file, a folder of files, a server. The
// engine hands it each message's bytes, framed by BeginMessage and EndMessage;
// what the destination keeps, and where, is its own business.
#pragma once

#include <cstdint>
#include <string>

#include "mail_writer.h"

namespace mixconv {

struct DestinationOutcome {
  std::uint32_t messagesKept = 0;  // whole messages the user finds after the run
  bool asAsked = false;            // kept where the user asked for them
  bool ok = false;                 // every write succeeded and the messages were kept somewhere
  std::string keptAt;              // the file or folder that holds them; empty when none does
};

class MailDestination : public MessageSink {
 public:
  // Made ready for the log whose files are base.MIX and base.TXT; false after
  // reporting why not.
  virtual bool Open(const std::string& base) = 0;
  // The index's entry count, once read: no more messages than this come. A
  // destination that shows its progress needs it.
  virtual void ExpectMessages(std::uint32_t entries) { static_cast<void>(entries); }
  // facts are the writer's, filled in as the mail's parts go to it: a
  // destination that must act before EndMessage reads them as far as they
  // came, once the message's bytes have started.
  virtual void BeginMessage(const MailStart& start, const MailFacts& facts) = 0;
  // The message's bytes have all come; facts tell what it is about.
  virtual void EndMessage(const MailFacts& facts) = 0;
  // A write failed: the run stops.
  virtual bool Failed() const = 0;
  // Ends the run. complete: the whole log was converted with no error so far.
  // Reports whatever it could not do.
  virtual DestinationOutcome Close(bool complete) = 0;

 protected:
  ~MailDestination() = default;
};

}  // namespace mixconv
