#include "files/abandoned_files.h"

#include <chrono>
#include <vector>

#include "files/file_path.h"
#include "files/temporary_name.h"

namespace mixconv::files {

namespace {

namespace fs = std::filesystem;

// A file that a run has only just created may not be held yet; one this old
// would have been.
constexpr auto kSettlingTime = std::chrono::seconds(5);

// The settled entries of this type, links never among them, that were named for finalPath.
std::vector<fs::path> Leftovers(const fs::path& finalPath, fs::file_type type) {
  const fs::path directory = finalPath.has_parent_path() ? finalPath.parent_path() : fs::path(".");
  const auto settled = fs::file_time_type::clock::now() - kSettlingTime;
  std::vector<fs::path> leftovers;
  std::error_code error;
  for (fs::directory_iterator entry(directory, error), end; !error && entry != end;
       entry.increment(error)) {
    std::error_code ignored;
    if (IsTemporaryNameFor(PathText(entry->path().filename()), finalPath) &&
        entry->symlink_status(ignored).type() == type &&
        entry->last_write_time(ignored) < settled) {
      leftovers.push_back(entry->path());
    }
  }
  return leftovers;
}

}  // namespace

void RemoveAbandonedFiles(const fs::path& finalPath) {
  for (const fs::path& file : Leftovers(finalPath, fs::file_type::regular)) {
    RemoveIfNotHeld(file);
  }
}

void RemoveAbandonedFolders(const fs::path& finalPath) {
  for (const fs::path& folder : Leftovers(finalPath, fs::file_type::directory)) {
    RemoveFolderIfNotHeld(folder, finalPath);
  }
}

}  // namespace mixconv::files
