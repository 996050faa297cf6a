// Paths as the engine takes them: byte strings, in the locale's encoding on
// POSIX and in UTF-8 on Windows, where the C library's narrow calls would read
// them in the ANSI code page and lose any character outside it.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace mixconv {

std::filesystem::path FilePath(const std::string& path);

// The path in the engine's own form, for messages and further calls.
std::string PathText(const std::filesystem::path& path);

std::FILE* OpenFile(const std::string& path, const char* mode);

}  // namespace mixconv
