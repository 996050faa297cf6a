#include "mailbox_file.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

#include "file_path.h"

namespace mixconv {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
// The C runtime that mingw links has no "x"; the random name keeps runs apart.
constexpr char kCreateNew[] = "wb";
#else
constexpr char kCreateNew[] = "wbx";
#endif
constexpr int kCreateAttempts = 16;
constexpr char kNewFileSuffix[] = ".tmp";

// Mail is private, whoever may read the log.
constexpr fs::perms kMailboxPermissions = fs::perms::owner_read | fs::perms::owner_write;

std::FILE* CreateNewFile(const std::string& path, std::string& newPath) {
  std::random_device entropy;
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    std::array<char, 16> tag{};
    std::snprintf(tag.data(), tag.size(), ".%08x", static_cast<unsigned>(entropy()));
    newPath = path + tag.data() + kNewFileSuffix;
    std::error_code error;
    if (fs::exists(fs::symlink_status(FilePath(newPath), error))) {
      continue;
    }
    if (std::FILE* file = OpenFile(newPath, kCreateNew)) {
      // Where the file system keeps no modes (FAT), there is nothing to narrow.
      fs::permissions(FilePath(newPath), kMailboxPermissions, fs::perm_options::replace, error);
      return file;
    }
    // Anything but a name taken meanwhile will fail again.
    if (!fs::exists(fs::symlink_status(FilePath(newPath), error))) {
      break;
    }
  }
  newPath.clear();
  return nullptr;
}

}  // namespace

MailboxFile::~MailboxFile() {
  if (file_ != nullptr) {
    std::fclose(file_);
  }
  if (!newPath_.empty()) {
    std::error_code ignored;
    fs::remove(FilePath(newPath_), ignored);
  }
}

bool MailboxFile::Open(const std::string& path) {
  file_ = CreateNewFile(path, newPath_);
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

bool MailboxFile::MoveTo(const std::string& path) {
  std::error_code error;
  fs::rename(FilePath(newPath_), FilePath(path), error);
  if (error) {
    std::error_code ignored;
    fs::remove(FilePath(newPath_), ignored);
  }
  newPath_.clear();
  return !error;
}

}  // namespace mixconv
