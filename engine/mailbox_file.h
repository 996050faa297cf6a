// The mailbox file NAME.mbx: buffered here so that a failed write tells exactly
// which mails reached the file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "mail_writer.h"

namespace mixconv {

class MailboxFile final : public MailboxSink {
 public:
  MailboxFile() = default;
  MailboxFile(const MailboxFile&) = delete;
  MailboxFile& operator=(const MailboxFile&) = delete;
  ~MailboxFile();

  bool Open(const char* path);
  void Write(std::string_view bytes) override;
  // Marks the end of a complete mail, to be counted once its bytes reach the file.
  void EndMail();
  // Writes what is buffered and closes; false when any write, flush or close failed.
  bool Close();

  bool Failed() const { return failed_; }
  std::uint32_t MailsWritten() const { return mailsWritten_; }

 private:
  static constexpr std::size_t kBufferSize = 64 * 1024;
  // A mail takes at least its separator line, so this many ends never fill
  // before the buffer does; EndMail flushes early all the same if they do.
  static constexpr std::size_t kMaxPendingMails = 4096;

  bool Flush();

  std::FILE* file_ = nullptr;
  std::array<char, kBufferSize> buffer_{};
  std::size_t used_ = 0;
  std::uint64_t bytesInFile_ = 0;
  std::array<std::uint64_t, kMaxPendingMails> pendingMailEnds_{};
  std::size_t pendingMails_ = 0;
  std::uint32_t mailsWritten_ = 0;
  bool failed_ = false;
};

}  // namespace mixconv
