#include "mailbox_file.h"

#include <algorithm>
#include <cstring>

namespace mixconv {

MailboxFile::~MailboxFile() {
  if (file_ != nullptr) {
    std::fclose(file_);
  }
}

bool MailboxFile::Open(const char* path) {
  file_ = std::fopen(path, "wb");
  if (file_ == nullptr) {
    return false;
  }
  // Our own buffer decides when bytes go out, so stdio must not hold any back.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  used_ = 0;
  bytesInFile_ = 0;
  pendingMails_ = 0;
  mailsWritten_ = 0;
  failed_ = false;
  return true;
}

void MailboxFile::Write(std::string_view bytes) {
  if (failed_) {
    return;
  }
  while (!bytes.empty()) {
    if (used_ == buffer_.size() && !Flush()) {
      return;
    }
    const std::size_t taken = std::min(bytes.size(), buffer_.size() - used_);
    std::memcpy(buffer_.data() + used_, bytes.data(), taken);
    used_ += taken;
    bytes.remove_prefix(taken);
  }
}

void MailboxFile::EndMail() {
  if (failed_) {
    return;
  }
  if (pendingMails_ == pendingMailEnds_.size() && !Flush()) {
    return;
  }
  pendingMailEnds_[pendingMails_++] = bytesInFile_ + used_;
}

bool MailboxFile::Flush() {
  if (failed_) {
    return false;
  }
  const std::size_t written = used_ == 0 ? 0 : std::fwrite(buffer_.data(), 1, used_, file_);
  bytesInFile_ += written;
  const auto pending = pendingMailEnds_.begin();
  const auto firstNotWritten =
      std::upper_bound(pending, pending + static_cast<std::ptrdiff_t>(pendingMails_), bytesInFile_);
  mailsWritten_ += static_cast<std::uint32_t>(firstNotWritten - pending);
  pendingMails_ = 0;
  if (written != used_) {
    failed_ = true;
    return false;
  }
  used_ = 0;
  return true;
}

bool MailboxFile::Close() {
  if (file_ == nullptr) {
    return !failed_;
  }
  Flush();
  if (std::fclose(file_) != 0) {
    failed_ = true;
  }
  file_ = nullptr;
  return !failed_;
}

}  // namespace mixconv
