// Files on POSIX systems: unnamed while written where the system has
// O_TMPFILE, else named and held with a lock that dies with the process.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>

#include "files/file_path.h"
#include "files/abandoned_files.h"
#include "files/new_file.h"
#include "files/new_folder.h"
#include "files/rename_without_replacing.h"
#include "files/temporary_name.h"

namespace mixconv::files {

namespace {

namespace fs = std::filesystem;

constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;
constexpr int kCreateAttempts = 16;
// An unnamed file is given a name through its descriptor's entry here.
constexpr char kDescriptorDirectory[] = "/proc/self/fd/";

// The one named file being written, for the signal handler to remove.
std::atomic<const char*> UnfinishedName{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

const int kStoppingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM,   SIGUSR1, SIGUSR2,
                                SIGALRM, SIGXCPU, SIGPROF, SIGVTALRM, SIGABRT};

extern "C" void RemoveUnfinishedFileAndStop(int signal) {
  if (const char* name = UnfinishedName.load()) {
    ::unlink(name);
  }
  RemoveUnfinishedFolder();
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

std::string DirectoryOf(const std::string& path) {
  const fs::path parent = FilePath(path).parent_path();
  return parent.empty() ? std::string(".") : PathText(parent);
}

int CreateUnnamed(const std::string& finalPath) {
#ifdef O_TMPFILE
  if (::access(kDescriptorDirectory, X_OK) == 0) {
    return ::open(DirectoryOf(finalPath).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, kOwnerOnly);
  }
#endif
  return -1;
}

// A new file named after finalPath, locked for as long as this process lives.
int CreateNamed(const std::string& finalPath, std::string& name) {
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    name = PathText(TemporaryName(FilePath(finalPath)));
    const int descriptor =
        ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kOwnerOnly);
    if (descriptor >= 0) {
      ::flock(descriptor, LOCK_EX | LOCK_NB);
      return descriptor;
    }
    if (errno != EEXIST) {
      break;
    }
  }
  name.clear();
  return -1;
}

bool LinkUnderNewName(const std::string& descriptorPath, const std::string& finalPath,
                      std::string& name) {
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    name = PathText(TemporaryName(FilePath(finalPath)));
    if (::linkat(AT_FDCWD, descriptorPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) ==
        0) {
      return true;
    }
    if (errno != EEXIST) {
      break;
    }
  }
  name.clear();
  return false;
}

Placement FailureFromErrno() {
  return errno == EEXIST ? Placement::TargetExists : Placement::Failed;
}

}  // namespace

NewFile::~NewFile() { Discard(); }

void NewFile::Discard() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!name_.empty()) {
    ::unlink(name_.c_str());
    UnfinishedName.store(nullptr);
    name_.clear();
  }
}

bool NewFile::Create(const std::string& finalPath) {
  Discard();
  RemoveAbandonedFiles(FilePath(finalPath));
  int descriptor = CreateUnnamed(finalPath);
  if (descriptor < 0) {
    descriptor = CreateNamed(finalPath, name_);
    if (descriptor < 0) {
      return false;
    }
    UnfinishedName.store(name_.c_str());
  }
  // Owner-only whatever the umask; a file system without modes keeps none.
  ::fchmod(descriptor, kOwnerOnly);
  stream_ = ::fdopen(descriptor, "wb");
  if (stream_ == nullptr) {
    ::close(descriptor);
    Discard();
    return false;
  }
  return true;
}

bool NewFile::Truncate(std::uint64_t size) {
  return std::fflush(stream_) == 0 &&
         ::ftruncate(::fileno(stream_), static_cast<off_t>(size)) == 0 &&
         std::fseek(stream_, 0, SEEK_END) == 0;
}

Placement NewFile::PlaceAt(const std::string& path, bool replace) {
  if (stream_ == nullptr || std::fflush(stream_) != 0) {
    return Placement::Failed;
  }
  if (name_.empty()) {
    const std::string self = kDescriptorDirectory + std::to_string(::fileno(stream_));
    if (!replace) {
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        return FailureFromErrno();
      }
      Discard();
      return Placement::Placed;
    }
    // A link cannot replace: the file gets a name of its own first.
    if (!LinkUnderNewName(self, path, name_)) {
      return Placement::Failed;
    }
    UnfinishedName.store(name_.c_str());
  }
  const bool moved = replace ? ::rename(name_.c_str(), path.c_str()) == 0
                             : RenameWithoutReplacing(name_, path);
  if (!moved) {
    return FailureFromErrno();
  }
  UnfinishedName.store(nullptr);
  name_.clear();
  Discard();
  return Placement::Placed;
}

bool IsWriteProtected(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
    return false;
  }
  // Root may write anything: the missing write bits still say "leave it".
  return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

void RemoveIfNotHeld(const fs::path& path) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    return;
  }
  if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
    ::unlink(path.c_str());
  }
  ::close(descriptor);
}

void GuardUnfinishedFiles() {
  for (const int signal : kStoppingSignals) {
    struct sigaction current {};
    // A signal the caller chose to ignore (nohup) stays ignored.
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      struct sigaction action {};
      action.sa_handler = RemoveUnfinishedFileAndStop;
      sigemptyset(&action.sa_mask);
      ::sigaction(signal, &action, nullptr);
    }
  }
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace mixconv::files
