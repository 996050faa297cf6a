// The conversion as the desktop programs and the web page offer it: the fields
// the user typed and the entry picked in the output list. One place for what
// every such front end would otherwise repeat.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/convert.h"
#include "engine/mail_destination.h"
#include "job/mail_observer.h"
#include "job/mailbox_job.h"
#include "job/output_catalogue.h"

namespace mixconv {

// As the user typed them, in UTF-8; the path as the engine takes it.
struct UserFields {
  std::string indexPath;
  std::string fullName;
  std::string mailAddress;
};

// The name and the address go to the messages in code page 932: one that it
// cannot hold is reported ("PROGRAM: name: why") and nothing is converted
// (result -1). observer, when given, sees every mail as it is written.
ConversionOutcome ConvertForUser(const char* programName, const UserFields& fields, const Output& output,
                                 MailObserver* observer = nullptr);

// ConvertForUser's mailbox in form, into mailbox, which frames it in
// MailboxStyle(form), in place of NAME.mbx: of the mails at entries only.
ConversionOutcome ConvertForUserInto(const char* programName, const UserFields& fields,
                                     MessageForm form, MailDestination& mailbox,
                                     MailObserver* observer = nullptr,
                                     EntryRange entries = kEveryEntry);

// Shows every mail at entries to observer and writes nothing.
ConversionOutcome ObserveForUser(const char* programName, const UserFields& fields,
                                 MailObserver& observer, EntryRange entries = kEveryEntry);

struct MailFile {
  std::string name;
  std::string bytes;
};

// The mail at number, its place in the index counted from 1, as the .eml
// folder holds it: its file's name and bytes. Nothing, after reporting why,
// when there is no such mail to show.
std::optional<MailFile> EmlFileForUser(const char* programName, const UserFields& fields,
                                       std::uint32_t number);

}  // namespace mixconv
