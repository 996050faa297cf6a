// mixconv-cli as a child process of a test: started in a directory, its
// streams in files elsewhere, after the test's own set-up in the child.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/conversion_harness.h"

namespace mixconv::testing {

struct Child {
  pid_t pid = -1;
  std::filesystem::path out;
  std::filesystem::path err;
};

Child StartChild(const char* program, const std::filesystem::path& dir, Child streams,
                 const std::vector<std::string>& arguments, const std::function<void()>& setUp);

CliRun WaitForExit(const Child& child);

// The signal that ended child, or 0 when it exited.
int WaitForSignal(const Child& child);

// What runs left in dir: the names there, sorted.
std::vector<std::string> DirectoryNames(const std::filesystem::path& dir);

}  // namespace mixconv::testing
