#include "tests/cli/cli_child.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

namespace mixconv::testing {

Child StartChild(const char* program, const std::filesystem::path& dir, Child streams,
                 const std::vector<std::string>& arguments, const std::function<void()>& setUp) {
  streams.pid = ::fork();
  if (streams.pid == 0) {
    const int outFile = ::open(streams.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int errFile = ::open(streams.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (outFile < 0 || errFile < 0 || ::dup2(outFile, 1) < 0 || ::dup2(errFile, 2) < 0 ||
        ::chdir(dir.c_str()) != 0) {
      ::_exit(126);
    }
    // As a shell starts it: the test's own choice below is not inherited.
    std::signal(SIGPIPE, SIG_DFL);
    setUp();
    std::vector<char*> argv = {const_cast<char*>(program)};
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    ::execv(program, argv.data());
    ::_exit(127);
  }
  return streams;
}

CliRun WaitForExit(const Child& child) {
  int status = 0;
  ::waitpid(child.pid, &status, 0);
  CliRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadFileBytes(child.out);
  run.err = ReadFileBytes(child.err);
  return run;
}

int WaitForSignal(const Child& child) {
  int status = 0;
  ::waitpid(child.pid, &status, 0);
  return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

std::vector<std::string> DirectoryNames(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace mixconv::testing
