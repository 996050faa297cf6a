// The mailbox file NAME.mbx: written to a new file beside it and put in place
// at the end, so that no run leaves a half-written NAME.mbx or writes through a
// link; buffered here so that a failed write tells exactly which mails reached
// the file, and the file keeps those whole and nothing after them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/mail_destination.h"
#include "files/new_file.h"
#include "formats/mbox_framing.h"

namespace mixconv {

class MailboxFile final : public MailDestination {
 public:
  // programName starts the lines it reports.
  MailboxFile(std::string programName, const MboxStyle& style);
  MailboxFile(const MailboxFile&) = delete;
  MailboxFile& operator=(const MailboxFile&) = delete;

  // Creates a new file beside NAME.mbx, readable and writable by its owner
  // only; refuses a NAME.mbx its user may not write.
  bool Open(const std::string& base) override;
  void BeginMessage(const MailStart& start, const MailFacts&) override;
  void Write(std::string_view bytes) override;
  // Marks the end of a whole message, to be counted once its bytes reach the file.
  void EndMessage(const MailFacts&) override;
  bool Failed() const override { return failed_; }
  // NAME.mbx; NAME.partial.mbx for a run that stopped early where NAME.mbx
  // exists, which it never replaces; the first free NAME.N.mbx when neither can
  // be written, so that no converted mail is lost.
  DestinationOutcome Close(bool complete) override;

 private:
  static constexpr std::size_t kBufferSize = 64 * 1024;
  // A mail takes at least its separator line, so this many ends never fill
  // before the buffer does; EndMessage flushes early all the same if they do.
  static constexpr std::size_t kMaxPendingMails = 4096;

  // The file's own bytes, framing included.
  class FileBytes final : public MessageSink {
   public:
    explicit FileBytes(MailboxFile& file) : file_(file) {}
    void Write(std::string_view bytes) override { file_.Put(bytes); }

   private:
    MailboxFile& file_;
  };

  void Put(std::string_view bytes);
  bool Flush();
  // Where the file went; empty when it could be put nowhere.
  std::string Place(bool complete, bool& asAsked);

  std::string programName_;
  files::NewFile file_;
  FileBytes fileBytes_{*this};
  MboxFraming framing_;
  std::string base_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  std::uint64_t bytesInFile_ = 0;
  std::vector<std::uint64_t> pendingMailEnds_;
  std::size_t pendingMails_ = 0;
  std::uint64_t wholeMailsEnd_ = 0;  // where the last mail counted ends
  std::uint32_t mailsWritten_ = 0;
  bool failed_ = false;
};

}  // namespace mixconv
