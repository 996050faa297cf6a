#include "files/abandoned_files.h"

#include <chrono>

#include "files/file_path.h"
#include "files/temporary_name.h"

namespace mixconv::files {

namespace {

namespace fs = std::filesystem;

// A file that a run has only just created may not be held yet; one this old
// would have been.
constexpr auto kSettlingTime = std::chrono::seconds(5);

}  // namespace

void RemoveAbandonedFiles(const fs::path& finalPath) {
  const fs::path directory = finalPath.has_parent_path() ? finalPath.parent_path() : fs::path(".");
  const auto settled = fs::file_time_type::clock::now() - kSettlingTime;
  std::error_code error;
  for (fs::directory_iterator entry(directory, error), end; !error && entry != end;
       entry.increment(error)) {
    std::error_code ignored;
    if (IsTemporaryNameFor(PathText(entry->path().filename()), finalPath) &&
        entry->is_regular_file(ignored) && !entry->is_symlink(ignored) &&
        entry->last_write_time(ignored) < settled) {
      RemoveIfNotHeld(entry->path());
    }
  }
}

}  // namespace mixconv::files
