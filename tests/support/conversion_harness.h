// Runs whole conversions in a private directory and collects what they report.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "engine/convert.h"
#include "log_builder/mail_log_builder.h"
#include "log_builder/sjis_text.h"
#include "log_builder/temp_dir.h"
#include "log_builder/time_zone.h"
#include "tests/support/mailbox_conversion.h"

namespace mixconv::testing {

// The tests build their logs as their own.
using log_builder::CrLfLines;
using log_builder::IndexEntry;
using log_builder::MailLogBuilder;
using log_builder::PinTimeZone;
using log_builder::ReadFileBytes;
using log_builder::Sjis;
using log_builder::TempDir;
using log_builder::WriteFileBytes;
namespace kind = log_builder::kind;

inline constexpr char kTestName[] = "N";
inline constexpr char kTestAddress[] = "U";
inline constexpr char kDomain[] = "members.example.jp";

class LineCollector : public ReportTarget {
 public:
  int AddLine(const char* text) override;
  std::vector<std::string> lines;
};

struct Conversion {
  ConversionOutcome outcome;
  std::vector<std::string> lines;
  std::string mailbox;  // NAME.mbx after the run, empty when it was not created
  bool mailboxExists = false;
};

// Converts indexPath with program name "mixconv", user N <U>, collecting the lines.
Conversion ConvertPath(const std::string& indexPath, const std::string& mailboxPath);

// Writes the log into a fresh directory as LOG.MIX / LOG.TXT and converts it.
Conversion ConvertLog(const MailLogBuilder& log);

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs program as a user would, in dir with TZ=JST-9 and a UTF-8 locale; its
// streams go through files in dir.
CliRun RunProgramIn(const std::filesystem::path& dir, const std::string& program,
                    const std::vector<std::string>& arguments);

// "From - " lines in a mailbox, one per mail written or stopped inside.
std::size_t CountSeparators(const std::string& mailbox);

// The mailbox bytes after the first separator line of a one-mail log.
std::string FirstMailBody(const Conversion& conversion);

}  // namespace mixconv::testing
