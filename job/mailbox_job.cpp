#include "job/mailbox_job.h"

#include <optional>
#include <string>

#include "destinations/eml_folder.h"
#include "destinations/mailbox_file.h"
#include "destinations/maildir_folder.h"
#include "destinations/message_folder.h"
#include "engine/report.h"
#include "formats/utf8_mail_writer.h"
#include "formats/verbatim_mail_writer.h"
#include "job/observed_writer.h"

namespace mixconv {

namespace {

constexpr char kRefusedFormat[] = "%s: %s.";
constexpr std::string_view kReadableOnly = "a folder of mail files holds the readable form only";
#ifdef _WIN32
constexpr std::string_view kNoColonInWindowsNames =
    "Maildir file names hold ':', which Windows does not allow in a file name";
#endif

// The layout of a folder destination; nothing for the mbox.
const FolderLayout* LayoutOf(Destination destination) {
  switch (destination) {
    case Destination::EmlFolder:
      return &kEmlFolderLayout;
    case Destination::Maildir:
      return &kMaildirLayout;
    case Destination::Mbox:
      break;
  }
  return nullptr;
}

}  // namespace

std::string_view Refusal(MessageForm form, Destination destination) {
  if (destination == Destination::Mbox) {
    return {};
  }
  if (form == MessageForm::Original) {
    return kReadableOnly;
  }
#ifdef _WIN32
  if (destination == Destination::Maildir) {
    return kNoColonInWindowsNames;
  }
#endif
  return {};
}

ConversionOutcome ConvertLog(const ConversionRequest& request, MessageForm form,
                             Destination destination, MailObserver* observer) {
  const std::string_view refusal = Refusal(form, destination);
  if (!refusal.empty()) {
    ReportFailure(kRefusedFormat, request.programName, std::string(refusal).c_str());
    return kNothingConverted;
  }
  if (const FolderLayout* layout = LayoutOf(destination)) {
    MessageFolder folder(request.programName, *layout);
    return ConvertLogInto(request, form, folder, observer);
  }
  MailboxFile mailbox(request.programName, MailboxStyle(form));
  return ConvertLogInto(request, form, mailbox, observer);
}

ConversionOutcome ConvertLogInto(const ConversionRequest& request, MessageForm form,
                                 MailDestination& destination, MailObserver* observer) {
  std::optional<Utf8MailWriter> utf8Writer;
  ConversionRequest withWriter = request;
  if (withWriter.writer == nullptr) {
    withWriter.writer = form == MessageForm::Readable ? &utf8Writer.emplace(request.programName)
                                                      : &VerbatimMailWriter();
  }
  std::optional<ObservedWriter> observed;
  if (observer != nullptr) {
    withWriter.writer = &observed.emplace(*withWriter.writer, *observer);
  }
  return RunConversion(withWriter, destination);
}

const MboxStyle& MailboxStyle(MessageForm form) {
  return form == MessageForm::Readable ? kUnixMboxStyle : kOriginalMboxStyle;
}

}  // namespace mixconv
