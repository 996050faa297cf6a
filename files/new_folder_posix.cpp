// Folders on POSIX systems: held with a lock on the folder that dies with the
// process; their files are created and removed through the folder's
// descriptor, so that no path outside it is ever followed.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "files/abandoned_files.h"
#include "files/file_path.h"
#include "files/new_folder.h"
#include "files/rename_without_replacing.h"
#include "files/temporary_name.h"

namespace mixconv::files {

namespace {

namespace fs = std::filesystem;

constexpr mode_t kOwnerOnlyFolder = S_IRWXU;
constexpr mode_t kOwnerOnlyFile = S_IRUSR | S_IWUSR;
constexpr int kCreateAttempts = 16;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The one folder being built, for the signal handler to remove.
std::atomic<const char*> UnfinishedFolder{nullptr};

#ifdef __linux__
// A folder's files, and those of its subfolders: all that a NewFolder holds.
constexpr int kFolderDepth = 2;
constexpr std::size_t kEntriesSize = 4096;
// One buffer a level: the signal handler may not allocate.
alignas(dirent64) char EntriesBuffers[kFolderDepth][kEntriesSize];

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Lists entries with the system call itself (readdir may allocate and lock),
// and reads the folder again until a pass removes nothing: removing entries
// while reading may hide others.
void EmptyFolderNow(int folder, int depth) {
  for (bool removed = true; removed;) {
    removed = false;
    ::lseek(folder, 0, SEEK_SET);
    ssize_t length = 0;
    while ((length = ::getdents64(folder, EntriesBuffers[depth], kEntriesSize)) > 0) {
      for (ssize_t at = 0; at < length;) {
        const auto* entry = reinterpret_cast<const dirent64*>(EntriesBuffers[depth] + at);
        at += entry->d_reclen;
        if (IsDotEntry(entry->d_name)) {
          continue;
        }
        if (::unlinkat(folder, entry->d_name, 0) == 0) {
          removed = true;
          continue;
        }
        // Linux answers EISDIR for a folder where POSIX says EPERM.
        if (depth + 1 < kFolderDepth && (errno == EISDIR || errno == EPERM)) {
          const int subfolder = ::openat(folder, entry->d_name, kFolderFlags);
          if (subfolder >= 0) {
            EmptyFolderNow(subfolder, depth + 1);
            ::close(subfolder);
          }
          removed = ::unlinkat(folder, entry->d_name, AT_REMOVEDIR) == 0 || removed;
        }
      }
    }
  }
}
#else
// Without a way to list a folder from a signal handler, the next run removes it.
void EmptyFolderNow(int, int) {}
#endif

}  // namespace

FolderFile::~FolderFile() { Discard(); }

bool FolderFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool FolderFile::Finish(std::int32_t time) {
  const timespec times[2] = {{time, 0}, {time, 0}};
  const bool dated = ::futimens(descriptor_, times) == 0;
  const bool closed = ::close(descriptor_) == 0;
  descriptor_ = -1;
  if (!dated || !closed) {
    Discard();
    return false;
  }
  path_.clear();
  return true;
}

void FolderFile::Discard() {
  if (descriptor_ >= 0) {
    ::close(descriptor_);
    descriptor_ = -1;
  }
  if (!path_.empty()) {
    ::unlinkat(folder_, path_.c_str(), 0);
    path_.clear();
  }
}

NewFolder::~NewFolder() { Discard(); }

void NewFolder::Discard() {
  if (!name_.empty()) {
    // An empty folder goes without being read, which would take a descriptor:
    // the run may have failed for want of one.
    std::error_code ignored;
    if (!fs::remove(FilePath(name_), ignored)) {
      fs::remove_all(FilePath(name_), ignored);
    }
    UnfinishedFolder.store(nullptr);
    name_.clear();
  }
  if (hold_ >= 0) {
    ::close(static_cast<int>(hold_));
    hold_ = -1;
  }
}

bool NewFolder::Create(const std::string& finalPath) {
  Discard();
  RemoveAbandonedFolders(FilePath(finalPath));
  for (int attempt = 0; attempt < kCreateAttempts && name_.empty(); ++attempt) {
    std::string name = PathText(TemporaryName(FilePath(finalPath)));
    if (::mkdir(name.c_str(), kOwnerOnlyFolder) == 0) {
      name_ = std::move(name);
    } else if (errno != EEXIST) {
      return false;
    }
  }
  if (name_.empty()) {
    return false;
  }
  UnfinishedFolder.store(name_.c_str());
  const int descriptor = ::open(name_.c_str(), kFolderFlags);
  if (descriptor < 0) {
    Discard();
    return false;
  }
  hold_ = descriptor;
  ::flock(descriptor, LOCK_EX | LOCK_NB);
  // Owner-only whatever the umask; a file system without modes keeps none.
  ::fchmod(descriptor, kOwnerOnlyFolder);
  return true;
}

bool NewFolder::CreateSubfolder(const std::string& name) {
  const int folder = static_cast<int>(hold_);
  return ::mkdirat(folder, name.c_str(), kOwnerOnlyFolder) == 0 &&
         ::fchmodat(folder, name.c_str(), kOwnerOnlyFolder, 0) == 0;
}

bool NewFolder::AddFile(const std::string& name, FolderFile& file) {
  file.Discard();
  const int folder = static_cast<int>(hold_);
  const int descriptor = ::openat(
      folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kOwnerOnlyFile);
  if (descriptor < 0) {
    return false;
  }
  file.descriptor_ = descriptor;
  file.folder_ = folder;
  file.path_ = name;
  ::fchmod(descriptor, kOwnerOnlyFile);
  return true;
}

Placement NewFolder::PlaceAt(const std::string& path) {
  if (name_.empty()) {
    return Placement::Failed;
  }
  if (!RenameWithoutReplacing(name_, path)) {
    return errno == EEXIST || errno == ENOTEMPTY ? Placement::TargetExists : Placement::Failed;
  }
  UnfinishedFolder.store(nullptr);
  name_.clear();
  Discard();
  return Placement::Placed;
}

void RemoveFolderIfNotHeld(const fs::path& path, const fs::path&) {
  const int descriptor = ::open(path.c_str(), kFolderFlags);
  if (descriptor < 0) {
    return;
  }
  if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  ::close(descriptor);
}

void RemoveUnfinishedFolder() {
  const char* name = UnfinishedFolder.load();
  if (name == nullptr) {
    return;
  }
  const int folder = ::open(name, kFolderFlags);
  if (folder >= 0) {
    EmptyFolderNow(folder, 0);
    ::close(folder);
  }
  ::rmdir(name);
}

}  // namespace mixconv::files
