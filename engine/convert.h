// The conversion engine's public face: one call turns NAME.MIX + NAME.TXT into
// messages for a destination.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "mail_destination.h"
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

// Mails by their places in the index, counted from 1; a last past the
// index's count means to its end.
struct EntryRange {
  std::uint32_t first = 1;
  std::uint32_t last = std::numeric_limits<std::uint32_t>::max();
};

inline constexpr EntryRange kEveryEntry{};

struct ConversionRequest {
  const char* programName = "";
  const char* indexPath = "";
  const char* fullName = "";
  const char* mailAddress = "";
  const char* mailDomain = ServiceMailDomain;
  // How messages are written (formats/ has the forms); a run without one
  // converts nothing.
  MailWriter* writer = nullptr;
  // A front end may split a run into parts, run side by side: each converts
  // its range, and only a run of the whole index reports the summary line,
  // which ReportSummary gives for a run in parts.
  EntryRange entries = kEveryEntry;
};

struct ConversionOutcome {
  // 0 once the log's files were opened and its messages kept; -1 when a file
  // could not be opened or written.
  int result = 0;
  std::uint32_t converted = 0;  // messages the destination kept
  std::uint32_t total = 0;      // the entry count the index claims
  // Files opened, every counted entry read and converted or skipped as binary,
  // and no error line reported.
  bool complete = false;
  std::string keptAt;  // the file or folder that holds the messages; empty when none does
};

// The outcome of a run refused before it opened anything.
inline const ConversionOutcome kNothingConverted{-1, 0, 0, false, {}};

// Converts the log named by indexPath (NAME.MIX, NAME.mix or NAME) into
// destination. Texts are Shift_JIS (code page 932); every outcome has been
// reported through ReportLine.
ConversionOutcome RunConversion(const ConversionRequest& request, MailDestination& destination);

// The summary line of a run: converted of the total the index claims.
void ReportSummary(std::uint32_t converted, std::uint32_t total);

// Converts the mail at number, its place in the index counted from 1, alone,
// for a front end that shows one mail; request.entries is not read. No summary
// line; a number the index does not count, or a binary mail, converts nothing.
ConversionOutcome ConvertOneEntry(const ConversionRequest& request, std::uint32_t number,
                                  MailDestination& destination);

}  // namespace mixconv
