// The IMAP password: from a command, the environment, or the terminal, never
// from an argument; held where it is wiped once used.
#pragma once

#include <string>

namespace mixconv::cli {

// A password's bytes, wiped when it goes. Never copied or moved, so that no
// other copy is left behind.
class Secret {
 public:
  Secret();
  ~Secret();
  Secret(const Secret&) = delete;
  Secret& operator=(const Secret&) = delete;
  const std::string& Text() const { return text_; }
  // Adds a byte, past a fixed capacity never reallocated, so no copy stays in
  // freed memory; false when the password is longer than any sound one.
  bool Add(char byte);

 private:
  std::string text_;
};

struct PasswordSource {
  std::string command;  // --password-command: its first line of output
  std::string prompt;   // what the terminal shows, when it is asked there
};

enum class PasswordOutcome { Read, Failed, NoSource };

// Reads the password: from source.command when given, else from the
// environment variable MIXCONV_IMAP_PASSWORD (then wiped), else at a prompt
// without echo when standard input is a terminal. Failed: a line says why.
PasswordOutcome ReadPassword(const char* programName, const PasswordSource& source,
                             Secret& password);

// Keeps the process out of core files and other processes' debuggers while it
// holds a password.
void KeepSecretsFromOtherProcesses();

}  // namespace mixconv::cli
