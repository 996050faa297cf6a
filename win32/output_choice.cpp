#include "win32/output_choice.h"

#include <optional>
#include <string>

#include "engine/convert.h"
#include "resource_ids.h"

namespace mixconv::win32 {

namespace {

constexpr char kProgramName[] = "mixconv";

std::optional<Output> OutputOf(long long entry) {
  switch (entry) {
    case IDS_OUTPUT_READABLE_MBOX:
      return Output::ReadableMbox;
    case IDS_OUTPUT_ORIGINAL_MBOX:
      return Output::OriginalMbox;
    case IDS_OUTPUT_EML_FOLDER:
      return Output::EmlFolder;
    case IDS_OUTPUT_MAILDIR:
      return Output::Maildir;
  }
  return std::nullopt;
}

}  // namespace

void ConvertAs(long long entry, const ConversionFields& fields) {
  if (const std::optional<Output> output = OutputOf(entry)) {
    ConvertForUser(kProgramName, fields, *output);
    return;
  }
  ReportLine((std::string(kProgramName) + ": output entry " + std::to_string(entry) +
              " converts to nothing.")
                 .c_str());
}

}  // namespace mixconv::win32
