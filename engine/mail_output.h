// The current mail's way into the destination: through the run's MailWriter,
// keeping track of where output lines start.
#pragma once

#include <cstdint>
#include <string_view>

#include "mail_writer.h"
#include "mail_destination.h"

namespace mixconv {

class MailOutput {
 public:
  MailOutput(MailWriter& writer, MailDestination& destination)
      : writer_(writer), destination_(destination) {}

  void BeginMail(const MailStart& start);
  void WriteHeaderLine(const HeaderLineView& line);
  void WriteCopiedLine(std::string_view piece, bool fromGateway = false);
  // Ends the mail numbered by its place in the index.
  void FinishMail(std::uint32_t number);

 private:
  void NoteLastByte(std::string_view bytes);

  MailWriter& writer_;
  MailDestination& destination_;
  bool atLineStart_ = true;
};

}  // namespace mixconv
