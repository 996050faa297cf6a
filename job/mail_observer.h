// A front end that shows what it converts (the web page lists each mail's date,
// sender and subject) sees every mail as it is written, without writing it.
#pragma once

#include "engine/mail_writer.h"

namespace mixconv {

class MailObserver {
 public:
  virtual ~MailObserver() = default;
  virtual void BeginMail(const MailStart& start) = 0;
  virtual void HeaderLine(const HeaderLineView& line) = 0;
  virtual void CopiedLine(const CopiedLine& line) = 0;
  virtual void EndMail(const MailFacts& facts) = 0;
};

}  // namespace mixconv
