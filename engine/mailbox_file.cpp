#include "mailbox_file.h"

#include <algorithm>
#include <cstring>

namespace mixconv {

bool MailboxFile::Open(const std::string& path) {
  if (files::IsWriteProtected(path) || !file_.Create(path)) {
    return false;
  }
  // Our own buffer decides when bytes go out, so stdio must not hold any back.
  std::setvbuf(file_.Stream(), nullptr, _IONBF, 0);
  used_ = 0;
  bytesInFile_ = 0;
  pendingMails_ = 0;
  wholeMailsEnd_ = 0;
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
  const std::size_t written =
      used_ == 0 ? 0 : std::fwrite(buffer_.data(), 1, used_, file_.Stream());
  bytesInFile_ += written;
  const auto pending = pendingMailEnds_.begin();
  const auto firstNotWritten =
      std::upper_bound(pending, pending + static_cast<std::ptrdiff_t>(pendingMails_), bytesInFile_);
  if (firstNotWritten != pending) {
    wholeMailsEnd_ = *(firstNotWritten - 1);
  }
  mailsWritten_ += static_cast<std::uint32_t>(firstNotWritten - pending);
  pendingMails_ = 0;
  if (written != used_) {
    failed_ = true;
    // What reached the file of the mail being written goes: the file holds
    // whole mails only, those counted.
    file_.Truncate(wholeMailsEnd_);
    return false;
  }
  used_ = 0;
  return true;
}

bool MailboxFile::Finish() {
  Flush();
  return !failed_;
}

}  // namespace mixconv
