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

constexpr std::string_view kIndexExtensionLower = ".mix";
constexpr std::string_view kTextExtensionLower = ".txt";
constexpr std::string_view kDirectorySeparators = "/\\";

// The final ".EXT" of path's file name; empty when it has none.
std::string_view ExtensionOf(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t separator = path.find_last_of(kDirectorySeparators);
  if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator)) {
    return {};
  }
  return path.substr(dot);
}

}  // namespace

std::string LogBaseName(std::string_view indexPath) {
  const std::string_view extension = ExtensionOf(indexPath);
  std::error_code ignored;
  if (extension == kIndexExtension || extension == kIndexExtensionLower ||
      (!extension.empty() && EqualIgnoringAsciiCase(extension, kIndexExtension) &&
       fs::is_regular_file(FilePath(std::string(indexPath)), ignored))) {
    indexPath.remove_suffix(extension.size());
  }
  return std::string(indexPath);
}

std::string IndexPathFor(std::string_view path) {
  const std::string_view extension = ExtensionOf(path);
  if (EqualIgnoringAsciiCase(extension, kIndexExtension)) {
    return std::string(path);
  }
  if (!EqualIgnoringAsciiCase(extension, kTextExtension)) {
    return {};
  }
  path.remove_suffix(extension.size());
  return std::string(path) +
         std::string(extension == kTextExtensionLower ? kIndexExtensionLower : kIndexExtension);
}

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
