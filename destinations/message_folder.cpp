#include "destinations/message_folder.h"

#include <utility>

#include "destinations/folder_messages.h"
#include "engine/messages.h"
#include "engine/report.h"
#include "files/file_path.h"

namespace mixconv {

namespace {

constexpr std::string_view kPartialName = ".partial";
// NAME.2.EXT and on: the first free one takes the folder.
constexpr int kFirstOtherNumber = 2;
constexpr int kLastOtherNumber = 99;

}  // namespace

MessageSink& MessageBytesFor(const FolderLayout& layout, CrLfLines& crLf, MessageSink& kept) {
  return layout.crLfLineEnds ? crLf : kept;
}

MessageFolder::MessageFolder(std::string programName, const FolderLayout& layout)
    : programName_(std::move(programName)),
      layout_(layout),
      messageBytes_(MessageBytesFor(layout, crLf_, bufferBytes_)) {
  buffer_.reserve(2 * kBufferSize);
}

bool MessageFolder::Open(const std::string& base) {
  base_ = base;
  logName_ = PathText(FilePath(base).filename());
  messagesKept_ = 0;
  failed_ = false;
  const std::string path = base + std::string(layout_.extension);
  bool made = folder_.Create(path);
  for (const std::string_view subfolder : layout_.subfolders) {
    made = made && folder_.CreateSubfolder(std::string(subfolder));
  }
  if (!made) {
    ReportFailure(messages::kFolderOpenFailed, programName_.c_str(), path.c_str());
  }
  return made;
}

void MessageFolder::BeginMessage(const MailStart&, const MailFacts& facts) {
  facts_ = &facts;
  buffer_.clear();
  crLf_.Reset();
}

void MessageFolder::Write(std::string_view bytes) {
  if (failed_) {
    return;
  }
  messageBytes_.Write(bytes);
  failed_ = buffer_.size() >= kBufferSize && !WriteBuffer();
}

bool MessageFolder::WriteBuffer() {
  if (!file_.IsOpen() && !folder_.AddFile(layout_.fileName(*facts_, logName_), file_)) {
    return false;
  }
  const bool written = file_.Write(buffer_);
  buffer_.clear();
  return written;
}

void MessageFolder::EndMessage(const MailFacts& facts) {
  if (failed_) {
    return;
  }
  failed_ = !WriteBuffer() || !file_.Finish(facts.time);
  messagesKept_ += failed_ ? 0 : 1;
}

DestinationOutcome MessageFolder::Close(bool complete) {
  // The message that a run stopped inside goes: the folder holds whole messages only.
  file_.Discard();
  if (failed_) {
    ReportFailure(messages::kFileWriteError, programName_.c_str());
  }
  DestinationOutcome outcome;
  const std::string placed = Place(complete && !failed_, outcome.asAsked);
  outcome.messagesKept = placed.empty() ? 0 : messagesKept_;
  outcome.ok = !failed_ && !placed.empty();
  outcome.keptAt = placed;
  return outcome;
}

std::string MessageFolder::Place(bool complete, bool& asAsked) {
  const std::string stem = complete ? base_ : base_ + std::string(kPartialName);
  const std::string extension(layout_.extension);
  const std::string wanted = stem + extension;
  for (int number = kFirstOtherNumber - 1; number <= kLastOtherNumber; ++number) {
    const std::string path =
        number < kFirstOtherNumber ? wanted : stem + "." + std::to_string(number) + extension;
    const files::Placement placement = folder_.PlaceAt(path);
    if (placement == files::Placement::Failed) {
      break;
    }
    if (placement != files::Placement::Placed) {
      continue;
    }
    if (!complete) {
      ReportFailure(messages::kStoppedRunFolder, programName_.c_str(), messagesKept_, path.c_str());
    } else if (path != wanted) {
      ReportFailure(messages::kFolderBesideEarlier, programName_.c_str(), wanted.c_str(),
                    path.c_str());
    }
    asAsked = complete && path == wanted;
    return path;
  }
  ReportFailure(messages::kFolderMoveFailed, programName_.c_str(), wanted.c_str());
  return {};
}

}  // namespace mixconv
