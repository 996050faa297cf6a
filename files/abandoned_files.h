// Files and folders left by a run that was killed while it wrote them.
#pragma once

#include <filesystem>

namespace mixconv::files {

// Removes the files that earlier runs began for finalPath and that no running
// process holds any more.
void RemoveAbandonedFiles(const std::filesystem::path& finalPath);

// The same for folders (new_folder.h), with everything in them.
void RemoveAbandonedFolders(const std::filesystem::path& finalPath);

// Removes path unless a running process holds it; the platform's own test.
void RemoveIfNotHeld(const std::filesystem::path& path);

// Removes the folder at path, begun for finalPath, with everything in it,
// unless a running process holds it.
void RemoveFolderIfNotHeld(const std::filesystem::path& path,
                           const std::filesystem::path& finalPath);

}  // namespace mixconv::files
