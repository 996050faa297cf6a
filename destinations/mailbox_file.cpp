#include "destinations/mailbox_file.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/messages.h"
#include "engine/report.h"

namespace mixconv {

namespace {

constexpr std::string_view kMailboxExtension = ".mbx";
constexpr std::string_view kPartialMailboxExtension = ".partial.mbx";
// NAME.1.mbx and on, for the mails of a run whose mailbox cannot be put in place.
constexpr int kMaxOtherMailboxes = 99;

}  // namespace

MailboxFile::MailboxFile(std::string programName, const MboxStyle& style)
    : programName_(std::move(programName)),
      framing_(style, fileBytes_),
      buffer_(kBufferSize),
      pendingMailEnds_(kMaxPendingMails) {}

bool MailboxFile::Open(const std::string& base) {
  base_ = base;
  const std::string path = base + std::string(kMailboxExtension);
  if (files::IsWriteProtected(path) || !file_.Create(path)) {
    ReportFailure(messages::kFileOpenFailed, programName_.c_str(), path.c_str());
    return false;
  }
  // Our own buffer decides when bytes go out, so stdio must not hold any back.
  std::setvbuf(file_.Stream(), nullptr, _IONBF, 0);
  used_ = 0;
  bytesInFile_ = 0;
  pendingMails_ = 0;
  wholeMailsEnd_ = 0;
  mailsWritten_ = 0;
  failed_ = false;
  return true;
}

void MailboxFile::Put(std::string_view bytes) {
  if (failed_) {
    return;
  }
  while (!bytes.empty()) {
    if (used_ == buffer_.size() && !Flush()) {
      return;
    }
    const std::size_t taken = std::min(bytes.size(), buffer_.size() - used_);
    std::memcpy(buffer_.data() + used_, bytes.data(), taken);
    used_ += taken;
    bytes.remove_prefix(taken);
  }
}

void MailboxFile::BeginMessage(const MailStart& start, const MailFacts&) {
  framing_.BeginMessage(start.time);
}

void MailboxFile::Write(std::string_view bytes) { framing_.Write(bytes); }

void MailboxFile::EndMessage(const MailFacts&) {
  framing_.EndMessage();
  if (failed_) {
    return;
  }
  if (pendingMails_ == pendingMailEnds_.size() && !Flush()) {
    return;
  }
  pendingMailEnds_[pendingMails_++] = bytesInFile_ + used_;
}

bool MailboxFile::Flush() {
  if (failed_) {
    return false;
  }
  const std::size_t written =
      used_ == 0 ? 0 : std::fwrite(buffer_.data(), 1, used_, file_.Stream());
  bytesInFile_ += written;
  const auto pending = pendingMailEnds_.begin();
  const auto firstNotWritten =
      std::upper_bound(pending, pending + static_cast<std::ptrdiff_t>(pendingMails_), bytesInFile_);
  if (firstNotWritten != pending) {
    wholeMailsEnd_ = *(firstNotWritten - 1);
  }
  mailsWritten_ += static_cast<std::uint32_t>(firstNotWritten - pending);
  pendingMails_ = 0;
  if (written != used_) {
    failed_ = true;
    // What reached the file of the mail being written goes: the file holds
    // whole mails only, those counted.
    file_.Truncate(wholeMailsEnd_);
    return false;
  }
  used_ = 0;
  return true;
}

DestinationOutcome MailboxFile::Close(bool complete) {
  framing_.ReleaseHeld();
  if (!Flush()) {
    // Reported once, whether the write that failed was a mail's or the last flush.
    ReportFailure(messages::kFileWriteError, programName_.c_str());
  }
  DestinationOutcome outcome;
  const std::string placed = Place(complete && !failed_, outcome.asAsked);
  outcome.messagesKept = placed.empty() ? 0 : mailsWritten_;
  outcome.ok = !failed_ && !placed.empty();
  outcome.keptAt = placed;
  return outcome;
}

std::string MailboxFile::Place(bool complete, bool& asAsked) {
  const std::string mailboxPath = base_ + std::string(kMailboxExtension);
  std::string wanted = mailboxPath;
  files::Placement placement = file_.PlaceAt(wanted, complete);
  if (placement == files::Placement::TargetExists) {
    wanted = base_ + std::string(kPartialMailboxExtension);
    placement = file_.PlaceAt(wanted, true);
    if (placement == files::Placement::Placed) {
      ReportProgress(messages::kPartialMailboxSaved, programName_.c_str(), wanted.c_str(),
                     mailboxPath.c_str());
      return wanted;
    }
  }
  if (placement == files::Placement::Placed) {
    asAsked = true;
    return wanted;
  }
  for (int number = 1; number <= kMaxOtherMailboxes; ++number) {
    const std::string other =
        base_ + "." + std::to_string(number) + std::string(kMailboxExtension);
    placement = file_.PlaceAt(other, false);
    if (placement == files::Placement::Placed) {
      ReportFailure(messages::kMailboxPlacedElsewhere, programName_.c_str(), wanted.c_str(),
                    other.c_str());
      return other;
    }
    if (placement == files::Placement::Failed) {
      break;
    }
  }
  ReportFailure(messages::kFileMoveFailed, programName_.c_str(), wanted.c_str());
  return {};
}

}  // namespace mixconv
