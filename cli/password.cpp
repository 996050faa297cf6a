#include "cli/password.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "cli/console.h"

extern char** environ;

namespace mixconv::cli {

namespace {

constexpr std::size_t kMostPasswordBytes = 1024;
constexpr char kEnvironmentVariable[] = "MIXCONV_IMAP_PASSWORD";
constexpr char kShell[] = "/bin/sh";
constexpr char kTerminal[] = "/dev/tty";
constexpr std::array kInterruptingSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};

void Fail(const char* programName, const std::string& why) {
  Print(stderr, std::string(programName) + ": " + why + "\n");
}

// Takes bytes from descriptor up to the first line end, or its end.
// False when the line is longer than a password can be, or reading failed.
bool ReadLine(int descriptor, Secret& password) {
  for (;;) {
    char byte = 0;
    const ssize_t count = read(descriptor, &byte, 1);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0 || byte == '\n') {
      return count >= 0;
    }
    if (byte != '\r' && !password.Add(byte)) {
      return false;
    }
  }
}

PasswordOutcome FromCommand(const char* programName, const std::string& command,
                            Secret& password) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
    Fail(programName, std::string("--password-command could not start: ") + std::strerror(errno));
    return PasswordOutcome::Failed;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  const char* arguments[] = {kShell, "-c", command.c_str(), nullptr};
  pid_t child = 0;
  const int spawned = posix_spawn(&child, kShell, &actions, nullptr,
                                  const_cast<char* const*>(arguments), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  const bool read = spawned == 0 && ReadLine(pipeEnds[0], password);
  close(pipeEnds[0]);
  int status = 0;
  while (spawned == 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (spawned != 0) {
    Fail(programName, std::string("--password-command could not start: ") + std::strerror(spawned));
  } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    Fail(programName, "--password-command failed: " +
                          (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                             : "ended by signal " + std::to_string(WTERMSIG(status))));
  } else if (!read) {
    Fail(programName, "--password-command printed no password of at most " +
                          std::to_string(kMostPasswordBytes) + " bytes");
  } else if (password.Text().empty()) {
    Fail(programName, "--password-command printed an empty line");
  } else {
    return PasswordOutcome::Read;
  }
  return PasswordOutcome::Failed;
}

bool FromEnvironment(Secret& password) {
  char* value = std::getenv(kEnvironmentVariable);
  if (value == nullptr || *value == '\0') {
    return false;
  }
  for (const char* byte = value; *byte != '\0'; ++byte) {
    password.Add(*byte);
  }
  // What the process was started with stays readable in /proc: wipe it there too.
  explicit_bzero(value, std::strlen(value));
  unsetenv(kEnvironmentVariable);
  return true;
}

// The terminal's settings while echo is off, restored by a signal that ends the
// program at the prompt: otherwise the shell would be left without echo.
termios SavedTerminal;
std::array<struct sigaction, kInterruptingSignals.size()> SavedActions;

void RestoreTerminalAndRaise(int signal) {
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &SavedTerminal);
  for (std::size_t i = 0; i < kInterruptingSignals.size(); ++i) {
    if (kInterruptingSignals[i] == signal) {
      sigaction(signal, &SavedActions[i], nullptr);
    }
  }
  raise(signal);
}

PasswordOutcome FromTerminal(const char* programName, const std::string& prompt,
                             Secret& password) {
  const int terminal = open(kTerminal, O_WRONLY | O_CLOEXEC);
  const int shown = terminal >= 0 ? terminal : STDERR_FILENO;
  if (tcgetattr(STDIN_FILENO, &SavedTerminal) != 0) {
    Fail(programName, std::string("the terminal cannot hide a password: ") + std::strerror(errno));
    return PasswordOutcome::Failed;
  }
  struct sigaction restore{};
  restore.sa_handler = RestoreTerminalAndRaise;
  for (std::size_t i = 0; i < kInterruptingSignals.size(); ++i) {
    sigaction(kInterruptingSignals[i], &restore, &SavedActions[i]);
  }
  termios silent = SavedTerminal;
  silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  silent.c_lflag |= ECHONL;
  const bool hidden = tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent) == 0;
  const bool read = hidden && write(shown, prompt.data(), prompt.size()) >= 0 &&
                    ReadLine(STDIN_FILENO, password);
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &SavedTerminal);
  for (std::size_t i = 0; i < kInterruptingSignals.size(); ++i) {
    sigaction(kInterruptingSignals[i], &SavedActions[i], nullptr);
  }
  if (terminal >= 0) {
    close(terminal);
  }
  if (!read || password.Text().empty()) {
    Fail(programName, "no password was typed");
    return PasswordOutcome::Failed;
  }
  return PasswordOutcome::Read;
}

}  // namespace

Secret::Secret() { text_.reserve(kMostPasswordBytes); }

Secret::~Secret() { explicit_bzero(text_.data(), text_.capacity()); }

bool Secret::Add(char byte) {
  if (text_.size() >= kMostPasswordBytes) {
    return false;
  }
  text_ += byte;
  return true;
}

PasswordOutcome ReadPassword(const char* programName, const PasswordSource& source,
                             Secret& password) {
  if (!source.command.empty()) {
    return FromCommand(programName, source.command, password);
  }
  if (FromEnvironment(password)) {
    return PasswordOutcome::Read;
  }
  if (isatty(STDIN_FILENO)) {
    return FromTerminal(programName, source.prompt, password);
  }
  return PasswordOutcome::NoSource;
}

void KeepSecretsFromOtherProcesses() {
  prctl(PR_SET_DUMPABLE, 0);
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
}

}  // namespace mixconv::cli
