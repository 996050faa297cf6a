#include "win32/output_choice.h"

#include "charset/cp932.h"
#include "engine/convert.h"
#include "job/mailbox_job.h"
#include "resource_ids.h"

namespace mixconv::win32 {

namespace {

constexpr char kProgramName[] = "mixconv";

void ReportError(const std::string& what) {
  ReportLine((std::string(kProgramName) + ": " + what).c_str());
}

bool Encode(const char* field, const std::string& utf8, Cp932Text& text) {
  text = EncodeCp932(utf8, "UTF-8");
  if (!text.ok()) {
    ReportError(std::string(field) + ": " + text.error);
  }
  return text.ok();
}

}  // namespace

void ConvertAs(long long entry, const ConversionFields& fields) {
  Cp932Text name;
  Cp932Text mail;
  if (!Encode("name", fields.fullName, name) || !Encode("e-mail", fields.mailAddress, mail)) {
    return;
  }
  const ConversionRequest request{kProgramName, fields.indexPath.c_str(), name.bytes.c_str(),
                                  mail.bytes.c_str()};
  switch (entry) {
    case IDS_OUTPUT_READABLE_MBOX:
      ConvertToMailbox(request, MessageForm::Readable);
      return;
    case IDS_OUTPUT_ORIGINAL_MBOX:
      ConvertMailLog(kProgramName, fields.indexPath.c_str(), name.bytes.c_str(),
                     mail.bytes.c_str());
      return;
    case IDS_OUTPUT_EML_FOLDER:
      ConvertLog(request, MessageForm::Readable, Destination::EmlFolder);
      return;
    case IDS_OUTPUT_MAILDIR:
      ConvertLog(request, MessageForm::Readable, Destination::Maildir);
      return;
  }
  ReportError("output entry " + std::to_string(entry) + " converts to nothing.");
}

}  // namespace mixconv::win32
