#include "log_file_name.h"

#include <filesystem>
#include <string_view>

#include "files/file_path.h"
#include "line_text.h"
#include "messages.h"
#include "report.h"
#include "run_context.h"

namespace mixconv {

namespace {

namespace fs = std::filesystem;

}  // namespace

std::optional<std::string> FindLogFile(const std::string& path) {
  std::error_code error;
  const fs::path wanted = FilePath(path);
  if (fs::exists(wanted, error) || !wanted.has_filename()) {
    return path;
  }
  const fs::path directory = wanted.has_parent_path() ? wanted.parent_path() : fs::path(".");
  const std::string name = PathText(wanted.filename());
  std::optional<fs::path> found;
  unsigned matches = 0;
  for (fs::directory_iterator entry(directory, error), end; !error && entry != end;
       entry.increment(error)) {
    if (EqualIgnoringAsciiCase(PathText(entry->path().filename()), name)) {
      found = entry->path();
      ++matches;
    }
  }
  if (matches > 1) {
    ReportFailure(messages::kFileNameAmbiguous, CurrentRun.programName, path.c_str(), matches);
    return std::nullopt;
  }
  return found ? PathText(wanted.parent_path() / found->filename()) : path;
}

}  // namespace mixconv
