#include "win32/output_choice.h"

#include <string>

#include "engine/convert.h"
#include "resource_ids.h"
#include "version.h"

namespace mixconv::win32 {

void ConvertAs(long long entry, const ConversionFields& fields) {
  if (const Output* output = OutputLabelled(static_cast<int>(entry))) {
    ConvertForUser(kProgramName, fields, *output);
    return;
  }
  ReportLine((std::string(kProgramName) + ": output entry " + std::to_string(entry) +
              " converts to nothing.")
                 .c_str());
}

}  // namespace mixconv::win32
