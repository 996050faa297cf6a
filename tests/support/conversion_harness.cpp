#include "tests/support/conversion_harness.h"

#include <cstdlib>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace mixconv::testing {

int LineCollector::AddLine(const char* text) {
  lines.emplace_back(text);
  return 0;
}

Conversion ConvertPath(const std::string& indexPath, const std::string& mailboxPath) {
  LineCollector collector;
  ActiveResultLog = &collector;
  Conversion conversion;
  conversion.outcome = ConvertToMailbox({"mixconv", indexPath.c_str(), kTestName, kTestAddress},
                                        MessageForm::Original);
  ActiveResultLog = nullptr;
  conversion.lines = std::move(collector.lines);
  conversion.mailboxExists = std::filesystem::exists(mailboxPath);
  if (conversion.mailboxExists) {
    conversion.mailbox = ReadFileBytes(mailboxPath);
  }
  return conversion;
}

Conversion ConvertLog(const MailLogBuilder& log) {
  const TempDir dir;
  const std::filesystem::path base = dir.path() / "LOG";
  log.WriteFiles(base);
  return ConvertPath(base.string() + ".MIX", base.string() + ".mbx");
}

#ifndef _WIN32
namespace {

std::string Quoted(const std::string& argument) {
  std::string quoted = "'";
  for (const char c : argument) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

}  // namespace

CliRun RunProgramIn(const std::filesystem::path& dir, const std::string& program,
                    const std::vector<std::string>& arguments) {
  std::string command =
      "cd " + Quoted(dir.string()) + " && TZ=JST-9 LC_ALL=C.UTF-8 " + Quoted(program);
  for (const std::string& argument : arguments) {
    command += " " + Quoted(argument);
  }
  command += " >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  CliRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadFileBytes(dir / "out.txt");
  run.err = ReadFileBytes(dir / "err.txt");
  return run;
}
#endif

std::size_t CountSeparators(const std::string& mailbox) {
  std::size_t count = 0;
  for (std::size_t at = 0; (at = mailbox.find("From - ", at)) != std::string::npos; ++at) {
    if (at == 0 || mailbox[at - 1] == '\n') {
      ++count;
    }
  }
  return count;
}

std::string FirstMailBody(const Conversion& conversion) {
  const std::size_t separatorEnd = conversion.mailbox.find("\r\n");
  return separatorEnd == std::string::npos ? std::string()
                                           : conversion.mailbox.substr(separatorEnd + 2);
}

}  // namespace mixconv::testing
