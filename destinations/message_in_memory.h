// One message kept in memory, its bytes and its name as a folder layout writes
// its file: for a front end that shows or offers one mail alone.
#pragma once

#include <string>
#include <string_view>

#include "destinations/message_folder.h"
#include "engine/mail_destination.h"
#include "formats/crlf_lines.h"
#include "formats/string_sink.h"

namespace mixconv {

class MessageInMemory final : public MailDestination {
 public:
  explicit MessageInMemory(const FolderLayout& layout);
  MessageInMemory(const MessageInMemory&) = delete;
  MessageInMemory& operator=(const MessageInMemory&) = delete;

  bool Open(const std::string& base) override;
  void BeginMessage(const MailStart& start, const MailFacts& facts) override;
  void Write(std::string_view bytes) override;
  void EndMessage(const MailFacts& facts) override;
  bool Failed() const override { return false; }
  DestinationOutcome Close(bool complete) override;

  // The name is empty until a whole message has come.
  const std::string& Name() const { return name_; }
  const std::string& Bytes() const { return bytes_; }

 private:
  const FolderLayout& layout_;
  std::string logName_;
  std::string bytes_;
  StringSink bytesSink_{bytes_};
  CrLfLines crLf_{bytesSink_};
  MessageSink& messageBytes_;  // through crLf_ where the layout ends lines in CR LF
  std::string name_;
};

}  // namespace mixconv
