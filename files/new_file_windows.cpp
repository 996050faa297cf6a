// Files on Windows: always named while written. The open file cannot be
// deleted by anyone else, so a later run removes only what a killed run left.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "files/abandoned_files.h"
#include "files/file_path.h"
#include "files/new_file.h"
#include "files/temporary_name.h"

namespace mixconv::files {

namespace {

namespace fs = std::filesystem;

constexpr int kCreateAttempts = 16;

int CreateNamed(const std::string& finalPath, std::string& name) {
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    name = PathText(TemporaryName(FilePath(finalPath)));
    const int descriptor = ::_wopen(
        FilePath(name).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor >= 0 || errno != EEXIST) {
      return descriptor;
    }
  }
  return -1;
}

}  // namespace

NewFile::~NewFile() { Discard(); }

void NewFile::Discard() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!name_.empty()) {
    ::DeleteFileW(FilePath(name_).c_str());
    name_.clear();
  }
}

bool NewFile::Create(const std::string& finalPath) {
  Discard();
  RemoveAbandonedFiles(FilePath(finalPath));
  const int descriptor = CreateNamed(finalPath, name_);
  if (descriptor < 0) {
    name_.clear();
    return false;
  }
  stream_ = ::_fdopen(descriptor, "wb");
  if (stream_ == nullptr) {
    ::_close(descriptor);
    Discard();
    return false;
  }
  return true;
}

bool NewFile::Truncate(std::uint64_t size) {
  return std::fflush(stream_) == 0 &&
         ::_chsize_s(::_fileno(stream_), static_cast<long long>(size)) == 0 &&
         std::fseek(stream_, 0, SEEK_END) == 0;
}

// Windows moves only a closed file; the closed file stays until it is placed.
Placement NewFile::PlaceAt(const std::string& path, bool replace) {
  if (stream_ != nullptr) {
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (!closed) {
      return Placement::Failed;
    }
  }
  if (name_.empty()) {
    return Placement::Failed;
  }
  if (!::MoveFileExW(FilePath(name_).c_str(), FilePath(path).c_str(),
                     replace ? MOVEFILE_REPLACE_EXISTING : 0)) {
    const DWORD error = ::GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Placement::TargetExists
                                                                       : Placement::Failed;
  }
  name_.clear();
  return Placement::Placed;
}

bool IsWriteProtected(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(FilePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// A file that its writer still holds open cannot be deleted.
void RemoveIfNotHeld(const fs::path& path) { ::DeleteFileW(path.c_str()); }

// Ctrl+C runs its handler on another thread while the file is still open, and
// an open file cannot be deleted: the next run removes what a stopped one left.
void GuardUnfinishedFiles() {}

}  // namespace mixconv::files
