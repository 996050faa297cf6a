#include "job/user_conversion.h"

#include "charset/cp932.h"
#include "destinations/eml_folder.h"
#include "destinations/message_in_memory.h"
#include "engine/report.h"
#include "formats/utf8_mail_writer.h"
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

// The user's fields as the engine takes them; the request points into it.
struct UserRequest {
  Cp932Text name;
  Cp932Text address;
  ConversionRequest request;
};

// False, after reporting which field code page 932 cannot hold.
bool MakeRequest(const char* programName, const UserFields& fields, UserRequest& made) {
  if (!Encode(programName, "name", fields.fullName, made.name) ||
      !Encode(programName, "e-mail", fields.mailAddress, made.address)) {
    return false;
  }
  made.request = {programName, fields.indexPath.c_str(), made.name.bytes.c_str(),
                  made.address.bytes.c_str()};
  return true;
}

// Keeps nothing of the messages it is handed, and counts them.
class NoDestination final : public MailDestination {
 public:
  bool Open(const std::string&) override { return true; }
  void BeginMessage(const MailStart&, const MailFacts&) override {}
  void Write(std::string_view) override {}
  void EndMessage(const MailFacts&) override { ++messages_; }
  bool Failed() const override { return false; }
  DestinationOutcome Close(bool) override { return {messages_, true, true, {}}; }

 private:
  std::uint32_t messages_ = 0;
};

}  // namespace

ConversionOutcome ConvertForUser(const char* programName, const UserFields& fields,
                                 const Output& output, MailObserver* observer) {
  UserRequest made;
  if (!MakeRequest(programName, fields, made)) {
    return kNothingConverted;
  }
  return ConvertLog(made.request, output.form, output.destination, observer);
}

ConversionOutcome ConvertForUserInto(const char* programName, const UserFields& fields,
                                     MessageForm form, MailDestination& mailbox,
                                     MailObserver* observer, EntryRange entries) {
  UserRequest made;
  if (!MakeRequest(programName, fields, made)) {
    return kNothingConverted;
  }
  made.request.entries = entries;
  return ConvertLogInto(made.request, form, mailbox, observer);
}

ConversionOutcome ObserveForUser(const char* programName, const UserFields& fields,
                                 MailObserver& observer, EntryRange entries) {
  UserRequest made;
  if (!MakeRequest(programName, fields, made)) {
    return kNothingConverted;
  }
  made.request.entries = entries;
  // The original form, the cheapest: the observer sees the engine's parts, not the writer's bytes.
  NoDestination nowhere;
  return ConvertLogInto(made.request, MessageForm::Original, nowhere, &observer);
}

std::optional<MailFile> EmlFileForUser(const char* programName, const UserFields& fields,
                                       std::uint32_t number) {
  UserRequest made;
  if (!MakeRequest(programName, fields, made)) {
    return std::nullopt;
  }
  Utf8MailWriter writer(programName);
  made.request.writer = &writer;
  MessageInMemory mail(kEmlFolderLayout);
  if (ConvertOneEntry(made.request, number, mail).converted == 0) {
    return std::nullopt;
  }
  return MailFile{mail.Name(), mail.Bytes()};
}

}  // namespace mixconv
