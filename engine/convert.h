// The conversion engine's public face: one call turns NAME.MIX + NAME.TXT into NAME.mbx.
#pragma once

#include <cstdint>

#include "mail_writer.h"

namespace mixconv {

// The online service's member mail domain, appended after "@" to every member ID.
inline constexpr char ServiceMailDomain[] = "members.example.jp";

// Receives every line the engine reports. Implementations copy the text:
// the engine reuses its buffer as soon as AddLine returns.
class ReportTarget {
 public:
  virtual ~ReportTarget() = default;
  virtual int AddLine(const char* text) = 0;
};

// Null until a front end attaches its receiver; lines reported meanwhile are dropped.
extern ReportTarget* ActiveResultLog;

void ReportLine(const char* text);

// Converts the log named by indexPath (NAME.MIX, NAME.mix or NAME) into NAME.mbx.
// Texts are Shift_JIS (code page 932). Returns 0 once the files were opened and
// -1 when a file could not be opened or the mailbox file could not be written;
// every outcome has been reported through ReportLine.
int ConvertMailLog(const char* programName, const char* indexPath, const char* fullName,
                   const char* mailAddress);

// The same conversion for front ends that need more than the result code.
struct ConversionRequest {
  const char* programName = "";
  const char* indexPath = "";
  const char* fullName = "";
  const char* mailAddress = "";
  const char* mailDomain = ServiceMailDomain;
  MailWriter* writer = nullptr;  // null for the default form
};

struct ConversionOutcome {
  int result = 0;               // what ConvertMailLog returns
  std::uint32_t converted = 0;  // mails that reached the mailbox file
  std::uint32_t total = 0;      // the entry count the index claims
  // Files opened, every counted entry read and converted or skipped as binary,
  // and no error line reported.
  bool complete = false;
};

ConversionOutcome RunConversion(const ConversionRequest& request);

}  // namespace mixconv
