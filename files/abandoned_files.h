// Files left by a run that was killed while it wrote them.
#pragma once

#include <filesystem>

namespace mixconv::files {

// Removes the files that earlier runs began for finalPath and that no running
// process holds any more.
void RemoveAbandonedFiles(const std::filesystem::path& finalPath);

// Removes path unless a running process holds it; the platform's own test.
void RemoveIfNotHeld(const std::filesystem::path& path);

}  // namespace mixconv::files
