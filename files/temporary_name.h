// Names for files being written: the name of the file each becomes, cut to
// fit the file system's limit, with a random tag, so that a later run can tell
// which leftovers are its own.
#pragma once

#include <filesystem>
#include <string>

namespace mixconv::files {

// A new name in finalPath's directory for a file that will become finalPath.
std::filesystem::path TemporaryName(const std::filesystem::path& finalPath);

// True when name was made by TemporaryName for finalPath.
bool IsTemporaryNameFor(const std::string& name, const std::filesystem::path& finalPath);

}  // namespace mixconv::files
