// A folder built beside the place it is meant for and put there in one step
// once it is whole, never over anything already there. It and every file in it
// are owner-only from the moment they exist. While it is built it has a name
// taken from the folder it becomes and is held, so that a later run can tell a
// folder that a killed run left from one still being built, and remove it; a
// signal that stops the run removes it first where the system allows (Linux).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "files/new_file.h"

namespace mixconv::files {

class NewFolder;

// A file in a NewFolder: kept once finished, removed otherwise.
class FolderFile {
 public:
  FolderFile() = default;
  FolderFile(const FolderFile&) = delete;
  FolderFile& operator=(const FolderFile&) = delete;
  ~FolderFile();

  bool IsOpen() const { return descriptor_ >= 0; }
  bool Write(std::string_view bytes);
  // Gives the file its modification time, seconds since 1970, and closes it;
  // false, with the file removed, when either fails.
  bool Finish(std::int32_t time);
  // Closes and removes the file.
  void Discard();

 private:
  friend class NewFolder;

  int descriptor_ = -1;
  int folder_ = -1;   // the folder's descriptor, where names are taken from it
  std::string path_;  // in the folder, or the whole path where there is no such descriptor
};

class NewFolder {
 public:
  NewFolder() = default;
  NewFolder(const NewFolder&) = delete;
  NewFolder& operator=(const NewFolder&) = delete;
  // Removes a folder that was never placed, with everything in it.
  ~NewFolder();

  // Creates the folder in the directory of finalPath, after removing the ones
  // that killed runs left for it.
  bool Create(const std::string& finalPath);
  bool CreateSubfolder(const std::string& name);
  // A new file at name in the folder ("cur/1.eml"), which must not exist.
  bool AddFile(const std::string& name, FolderFile& file);
  // Puts the folder at path in one step; every file in it must be finished.
  // Anything at path, a link included, stays: TargetExists tells so, and the
  // folder stays, to be placed elsewhere.
  Placement PlaceAt(const std::string& path);

 private:
  void Discard();

  std::string name_;         // empty when there is no folder
  std::intptr_t hold_ = -1;  // what holds the folder: a locked descriptor, or a handle
};

// Removes the folder that a signal stopped, with calls that are safe in a
// signal handler; the handler that GuardUnfinishedFiles installs on POSIX
// systems calls it.
void RemoveUnfinishedFolder();

}  // namespace mixconv::files
