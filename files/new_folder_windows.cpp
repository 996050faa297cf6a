// Folders on Windows: held by a handle that lets no one else delete or rename
// the folder. No signal handler can remove a folder here: the next run removes
// what a stopped one left.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>

#include "files/abandoned_files.h"
#include "files/file_path.h"
#include "files/new_folder.h"
#include "files/temporary_name.h"

namespace mixconv::files {

namespace {

namespace fs = std::filesystem;

constexpr int kCreateAttempts = 16;
// Seconds from 1601, where Windows counts file times from, to 1970.
constexpr long long kSecondsFrom1601To1970 = 11644473600LL;
constexpr long long kFileTimeUnitsPerSecond = 10000000LL;

// Others may read the folder and add files to it, but neither delete nor rename it.
HANDLE Hold(const std::string& path) {
  return ::CreateFileW(FilePath(path).c_str(), FILE_LIST_DIRECTORY,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

FILETIME FileTime(std::int32_t time) {
  const long long units = (time + kSecondsFrom1601To1970) * kFileTimeUnitsPerSecond;
  return {static_cast<DWORD>(units), static_cast<DWORD>(units >> 32)};
}

}  // namespace

FolderFile::~FolderFile() { Discard(); }

bool FolderFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), INT_MAX));
    const int written = ::_write(descriptor_, bytes.data(), chunk);
    if (written <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool FolderFile::Finish(std::int32_t time) {
  const FILETIME fileTime = FileTime(time);
  const bool dated = ::SetFileTime(reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor_)), nullptr,
                                   &fileTime, &fileTime) != 0;
  const bool closed = ::_close(descriptor_) == 0;
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
    ::_close(descriptor_);
    descriptor_ = -1;
  }
  if (!path_.empty()) {
    ::DeleteFileW(FilePath(path_).c_str());
    path_.clear();
  }
}

NewFolder::~NewFolder() { Discard(); }

void NewFolder::Discard() {
  if (hold_ != -1) {
    ::CloseHandle(reinterpret_cast<HANDLE>(hold_));
    hold_ = -1;
  }
  if (!name_.empty()) {
    std::error_code ignored;
    fs::remove_all(FilePath(name_), ignored);
    name_.clear();
  }
}

bool NewFolder::Create(const std::string& finalPath) {
  Discard();
  RemoveAbandonedFolders(FilePath(finalPath));
  for (int attempt = 0; attempt < kCreateAttempts && name_.empty(); ++attempt) {
    std::string name = PathText(TemporaryName(FilePath(finalPath)));
    if (::CreateDirectoryW(FilePath(name).c_str(), nullptr)) {
      name_ = std::move(name);
    } else if (::GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
  }
  if (name_.empty()) {
    return false;
  }
  const HANDLE held = Hold(name_);
  if (held == INVALID_HANDLE_VALUE) {
    Discard();
    return false;
  }
  hold_ = reinterpret_cast<std::intptr_t>(held);
  return true;
}

bool NewFolder::CreateSubfolder(const std::string& name) {
  return ::CreateDirectoryW(FilePath(name_ + "/" + name).c_str(), nullptr) != 0;
}

bool NewFolder::AddFile(const std::string& name, FolderFile& file) {
  file.Discard();
  const std::string path = name_ + "/" + name;
  const int descriptor = ::_wopen(FilePath(path).c_str(),
                                  _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) {
    return false;
  }
  file.descriptor_ = descriptor;
  file.path_ = path;
  return true;
}

// Windows renames only a folder that no one holds, this run included.
Placement NewFolder::PlaceAt(const std::string& path) {
  if (name_.empty()) {
    return Placement::Failed;
  }
  if (hold_ != -1) {
    ::CloseHandle(reinterpret_cast<HANDLE>(hold_));
    hold_ = -1;
  }
  if (::MoveFileExW(FilePath(name_).c_str(), FilePath(path).c_str(), 0)) {
    name_.clear();
    return Placement::Placed;
  }
  const DWORD error = ::GetLastError();
  const HANDLE held = Hold(name_);
  if (held != INVALID_HANDLE_VALUE) {
    hold_ = reinterpret_cast<std::intptr_t>(held);
  }
  return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Placement::TargetExists
                                                                     : Placement::Failed;
}

// Renamed first, which fails while its run holds it: under the new name no run
// writes to it, and a folder that the removal leaves is found again next time.
void RemoveFolderIfNotHeld(const fs::path& path, const fs::path& finalPath) {
  const fs::path moved = TemporaryName(finalPath);
  if (::MoveFileExW(path.c_str(), moved.c_str(), 0)) {
    std::error_code ignored;
    fs::remove_all(moved, ignored);
  }
}

}  // namespace mixconv::files
