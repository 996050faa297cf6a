// Composes one synthesised header line and hands it, whole, to the mail output.
#pragma once

#include <cstdint>
#include <string_view>

#include "mail_output.h"

namespace mixconv {

class HeaderLine {
 public:
  // Only one line is composed at a time: the line's storage is single-instance.
  HeaderLine(HeaderField field, MailOutput& out);
  HeaderLine(const HeaderLine&) = delete;
  HeaderLine& operator=(const HeaderLine&) = delete;

  HeaderLine& Append(std::string_view text);
  HeaderLine& AppendLowerCase(std::string_view text);
  HeaderLine& AppendNumber(int number);
  // At least two digits, zero-padded as printf's "%02d" pads.
  HeaderLine& AppendTwoDigits(int number);
  // The index time in local time as "DD Mon YYYY hh:mm:ss", the Date line's form.
  HeaderLine& AppendIndexDate(std::int32_t seconds);
  // The mail's index time, for a line whose date comes from the mail's text.
  HeaderLine& SetTime(std::int32_t seconds);

  // Starts a mailbox with its display name.
  HeaderLine& AppendDisplayName(std::string_view name);
  // What is appended between these is the address of the mailbox last started,
  // or of a new one without a display name.
  HeaderLine& BeginAddress();
  HeaderLine& EndAddress();

  // Hands what the line holds to the writer once it is long, between values or
  // mailboxes, so that no line needs more memory than a part of it.
  void PassOnIfLong();

  // Adds the line's CR LF and writes it.
  void Finish();

 private:
  void PassOn(bool continues);

  HeaderField field_;
  MailOutput& out_;
  std::int32_t time_ = 0;
};

}  // namespace mixconv
