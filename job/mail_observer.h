// A front end that shows what it converts (the web page lists each mail's date,
// sender and subject) sees every mail as it is written, without writing it.
#pragma once

#include "engine/mail_writer.h"

namespace mixconv {

class MailObserver {
 public:
  virtual ~MailObserver() = default;
  // An observer that needs only what the mail is about waits for its end.
  virtual void BeginMail(const MailStart&) {}
  virtual void HeaderLine(const HeaderLineView&) {}
  virtual void CopiedLine(const CopiedLine&) {}
  virtual void EndMail(const MailFacts& facts) = 0;
};

}  // namespace mixconv
