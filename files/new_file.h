// A file written beside the place it is meant for and put there in one step
// once it is whole. It is owner-only from the moment it exists. Where the
// system allows (Linux), it has no name until it is placed, so a run stopped in
// any way leaves nothing behind; elsewhere its name is taken from the file it
// becomes, a signal that stops the run removes it, and a later run for the same
// file removes it if the process that wrote it was killed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace mixconv::files {

enum class Placement { Placed, TargetExists, Failed };

class NewFile {
 public:
  NewFile() = default;
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  // Removes a file that was never placed.
  ~NewFile();

  // Creates the file in the directory of finalPath.
  bool Create(const std::string& finalPath);
  std::FILE* Stream() const { return stream_; }
  // Keeps the first size bytes, dropping what was written after them.
  bool Truncate(std::uint64_t size);
  // Puts the file at path in one step and closes it. With replace false, a
  // file already at path is never replaced: TargetExists tells so. A file not
  // placed stays, to be placed elsewhere.
  Placement PlaceAt(const std::string& path, bool replace);

 private:
  void Discard();

  std::FILE* stream_ = nullptr;
  std::string name_;  // empty while the file has no name
};

// True when path is a file its user may not write (mode 0444, or the
// read-only attribute on Windows). A link at path is not such a file: it is
// replaced, never written through.
bool IsWriteProtected(const std::string& path);

// Stops the run as usual on the signals that end a process, after removing
// the named file being written and the folder being built (new_folder.h), if
// any; a closed pipe or the file size limit becomes a failed write instead.
// Every front end calls this once at start.
void GuardUnfinishedFiles();

}  // namespace mixconv::files
