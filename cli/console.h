// The command line and the terminal, where Windows differs: there arguments are
// read as UTF-16 and the console is written in UTF-16, so that Japanese names
// and paths work whatever the system's code page is.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace mixconv::cli {

// The program's arguments, argv[0] included: as given on POSIX, in UTF-8 on Windows.
std::vector<std::string> CommandLine(int argc, char** argv);

// Writes text to stream; to a Windows console as characters, elsewhere (a file,
// a pipe) as the bytes they are, where a failed write shows in ferror(stream).
void Print(std::FILE* stream, std::string_view text);

}  // namespace mixconv::cli
