#include "job/user_conversion.h"

#include "charset/cp932.h"
#include "engine/report.h"
#include "job/mailbox_job.h"

namespace mixconv {

namespace {

constexpr char kFieldRefusedFormat[] = "%s: %s: %s";
constexpr char kUtf8[] = "UTF-8";

bool Encode(const char* programName, const char* field, const std::string& utf8, Cp932Text& text) {
  text = EncodeCp932(utf8, kUtf8);
  if (!text.ok()) {
    ReportFailure(kFieldRefusedFormat, programName, field, text.error.c_str());
  }
  return text.ok();
}

}  // namespace

ConversionOutcome ConvertForUser(const char* programName, const UserFields& fields, Output output,
                                 MailObserver* observer) {
  Cp932Text name;
  Cp932Text address;
  if (!Encode(programName, "name", fields.fullName, name) ||
      !Encode(programName, "e-mail", fields.mailAddress, address)) {
    return {-1, 0, 0, false};
  }
  const ConversionRequest request{programName, fields.indexPath.c_str(), name.bytes.c_str(),
                                  address.bytes.c_str()};
  switch (output) {
    case Output::ReadableMbox:
      return ConvertLog(request, MessageForm::Readable, Destination::Mbox, observer);
    case Output::OriginalMbox:
      return ConvertLog(request, MessageForm::Original, Destination::Mbox, observer);
    case Output::EmlFolder:
      return ConvertLog(request, MessageForm::Readable, Destination::EmlFolder, observer);
    case Output::Maildir:
      break;
  }
  return ConvertLog(request, MessageForm::Readable, Destination::Maildir, observer);
}

}  // namespace mixconv
