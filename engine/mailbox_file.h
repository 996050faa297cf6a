// The mailbox file NAME.mbx: written to a new file beside it and put in place
// at the end, so that no run leaves a half-written NAME.mbx or writes through a
// link; buffered here so that a failed write tells exactly which mails reached
// the file, and the file keeps those whole and nothing after them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/new_file.h"
#include "mail_writer.h"

namespace mixconv {

class MailboxFile final : public MailboxSink {
 public:
  MailboxFile() = default;
  MailboxFile(const MailboxFile&) = delete;
  MailboxFile& operator=(const MailboxFile&) = delete;

  // Creates a new file beside path, readable and writable by its owner only;
  // false when it cannot, or when path is a file its user may not write.
  bool Open(const std::string& path);
  void Write(std::string_view bytes) override;
  // Marks the end of a complete mail, to be counted once its bytes reach the file.
  void EndMail();
  // Writes what is buffered; false when any write failed.
  bool Finish();
  // Puts the finished file at path in one step (see files::NewFile::PlaceAt).
  files::Placement PlaceAt(const std::string& path, bool replace) {
    return file_.PlaceAt(path, replace);
  }

  bool Failed() const { return failed_; }
  std::uint32_t MailsWritten() const { return mailsWritten_; }

 private:
  static constexpr std::size_t kBufferSize = 64 * 1024;
  // A mail takes at least its separator line, so this many ends never fill
  // before the buffer does; EndMail flushes early all the same if they do.
  static constexpr std::size_t kMaxPendingMails = 4096;

  bool Flush();

  files::NewFile file_;
  std::array<char, kBufferSize> buffer_{};
  std::size_t used_ = 0;
  std::uint64_t bytesInFile_ = 0;
  std::array<std::uint64_t, kMaxPendingMails> pendingMailEnds_{};
  std::size_t pendingMails_ = 0;
  std::uint64_t wholeMailsEnd_ = 0;  // where the last mail counted ends
  std::uint32_t mailsWritten_ = 0;
  bool failed_ = false;
};

}  // namespace mixconv
