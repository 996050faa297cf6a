#include "destinations/message_in_memory.h"

#include "files/file_path.h"

namespace mixconv {

MessageInMemory::MessageInMemory(const FolderLayout& layout)
    : layout_(layout), messageBytes_(MessageBytesFor(layout, crLf_, bytesSink_)) {}

bool MessageInMemory::Open(const std::string& base) {
  logName_ = PathText(FilePath(base).filename());
  name_.clear();
  bytes_.clear();
  return true;
}

void MessageInMemory::BeginMessage(const MailStart&, const MailFacts&) {
  crLf_.Reset();
  bytes_.clear();
  name_.clear();
}

void MessageInMemory::Write(std::string_view bytes) { messageBytes_.Write(bytes); }

void MessageInMemory::EndMessage(const MailFacts& facts) {
  name_ = layout_.fileName(facts, logName_);
}

DestinationOutcome MessageInMemory::Close(bool) {
  const bool kept = !name_.empty();
  return {kept ? 1U : 0U, kept, true, {}};
}

}  // namespace mixconv
