// The mailbox file NAME.mbx: written to a new file beside it and moved into
// place at the end, so that no run leaves a half-written NAME.mbx or writes
// through a link; buffered here so that a failed write tells exactly which
// mails reached the file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "mail_writer.h"

namespace mixconv {

class MailboxFile final : public MailboxSink {
 public:
  MailboxFile() = default;
  MailboxFile(const MailboxFile&) = delete;
  MailboxFile& operator=(const MailboxFile&) = delete;
  ~MailboxFile();

  // Creates a new file beside path, readable and writable by its owner only.
  bool Open(const std::string& path);
  void Write(std::string_view bytes) override;
  // Marks the end of a complete mail, to be counted once its bytes reach the file.
  void EndMail();
  // Writes what is buffered and closes; false when any write, flush or close failed.
  bool Close();
  // Puts the closed file at path in one step, replacing what is there (a link
  // itself, never its target); false, with the file removed, when it cannot.
  bool MoveTo(const std::string& path);

  bool Failed() const { return failed_; }
  std::uint32_t MailsWritten() const { return mailsWritten_; }

 private:
  static constexpr std::size_t kBufferSize = 64 * 1024;
  // A mail takes at least its separator line, so this many ends never fill
  // before the buffer does; EndMail flushes early all the same if they do.
  static constexpr std::size_t kMaxPendingMails = 4096;

  bool Flush();

  std::FILE* file_ = nullptr;
  std::string newPath_;  // the file being written, until it is moved
  std::array<char, kBufferSize> buffer_{};
  std::size_t used_ = 0;
  std::uint64_t bytesInFile_ = 0;
  std::array<std::uint64_t, kMaxPendingMails> pendingMailEnds_{};
  std::size_t pendingMails_ = 0;
  std::uint32_t mailsWritten_ = 0;
  bool failed_ = false;
};

}  // namespace mixconv
