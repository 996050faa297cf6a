// A folder of mail files, one per message, beside the log: built under a
// temporary name and put in place whole once the run ends. It never goes over
// anything already there, a link or an earlier folder of the same name, and
// never merges into one: that is kept, and the new folder goes beside it. A
// run that stops early keeps its whole messages in a folder named for that.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/mail_destination.h"
#include "files/new_folder.h"
#include "formats/crlf_lines.h"
#include "formats/string_sink.h"

namespace mixconv {

// What kind of folder it is, and how its files are named.
struct FolderLayout {
  std::string_view extension;                    // of the folder, after NAME
  std::span<const std::string_view> subfolders;  // made in every folder
  bool crLfLineEnds = false;                     // else LF, as the writer writes
  // A message's file in the folder; logName names the log's files.
  std::string (*fileName)(const MailFacts& facts, std::string_view logName) = nullptr;
};

// Where a message's bytes go first in a destination of layout: through crLf,
// which hands them on to kept, where its lines end in CR LF; else to kept.
MessageSink& MessageBytesFor(const FolderLayout& layout, CrLfLines& crLf, MessageSink& kept);

class MessageFolder final : public MailDestination {
 public:
  // programName starts the lines it reports.
  MessageFolder(std::string programName, const FolderLayout& layout);
  MessageFolder(const MessageFolder&) = delete;
  MessageFolder& operator=(const MessageFolder&) = delete;

  bool Open(const std::string& base) override;
  void BeginMessage(const MailStart& start, const MailFacts& facts) override;
  void Write(std::string_view bytes) override;
  // Keeps the message's file, dated with the mail's time.
  void EndMessage(const MailFacts& facts) override;
  bool Failed() const override { return failed_; }
  // NAME.EXT, else the first free NAME.2.EXT, ...; NAME.partial.EXT (then
  // NAME.partial.2.EXT, ...) for a run that stopped early.
  DestinationOutcome Close(bool complete) override;

 private:
  // A message's bytes go out in pieces of this size; its file is named when
  // the first goes, so that its Subject has come by then.
  static constexpr std::size_t kBufferSize = 64 * 1024;

  bool WriteBuffer();
  // Where the folder went; empty when it could be put nowhere.
  std::string Place(bool complete, bool& asAsked);

  std::string programName_;
  const FolderLayout& layout_;
  files::NewFolder folder_;
  files::FolderFile file_;
  std::string base_;
  std::string logName_;
  std::string buffer_;
  StringSink bufferBytes_{buffer_};
  CrLfLines crLf_{bufferBytes_};
  MessageSink& messageBytes_;         // through crLf_ where the layout ends lines in CR LF
  const MailFacts* facts_ = nullptr;  // the writer's, for the message going by
  std::uint32_t messagesKept_ = 0;
  bool failed_ = false;
};

}  // namespace mixconv
