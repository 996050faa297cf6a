#include "imap/imap_folder.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "engine/report.h"
#include "files/file_path.h"
#include "imap/imap_messages.h"
#include "imap/message_id_field.h"
#include "imap/modified_utf7.h"

namespace mixconv::imap {

namespace {

constexpr std::string_view kData = "*";
constexpr std::string_view kExists = "EXISTS";
constexpr std::string_view kExamine = "EXAMINE ";
constexpr std::string_view kCreate = "CREATE ";
constexpr std::string_view kFetchMessageIds =
    "UID FETCH 1:* (BODY.PEEK[HEADER.FIELDS (MESSAGE-ID)])";
constexpr std::string_view kLogout = "LOGOUT";

std::uint32_t ExistsCount(const ImapResponse& response, std::uint32_t count) {
  if (response.Tag() != kData || response.Rest() != kExists) {
    return count;
  }
  const std::string_view digits = response.Word();
  std::from_chars(digits.data(), digits.data() + digits.size(), count);
  return count;
}

}  // namespace

ImapFolder::ImapFolder(std::string programName, ImapAccount account, std::string_view password,
                       UploadControl* control)
    : programName_(std::move(programName)),
      account_(std::move(account)),
      password_(password),
      control_(control),
      serverName_(ServerName(account_.address)) {}

ImapFolder::~ImapFolder() { explicit_bzero(password_.data(), password_.size()); }

bool ImapFolder::Open(const std::string& base) {
  logName_ = PathText(FilePath(base).filename());
  server_ = Connect(true, inFolder_);
  if (!server_) {
    return false;
  }
  pipeline_.emplace(server_->session, serverFolder_, server_->session.ReadAbilities());
  return true;
}

std::unique_ptr<ImapFolder::Server> ImapFolder::Connect(bool createFolder, MessageIdCounts& ids) {
  const char* program = programName_.c_str();
  const char* folderName = account_.address.folder.c_str();
  auto server = std::make_unique<Server>();
  if (const std::optional<ConnectFailure> failure =
          server->connection.Open(account_, password_)) {
    if (createFolder) {
      ReportConnectFailure(*failure);
    }
    return nullptr;
  }
  ImapSession& session = server->session;
  serverFolder_ = FolderOnServer(account_.address.folder, session.ReadDelimiter());
  const std::string folder = Quoted(ModifiedUtf7(serverFolder_));
  std::uint32_t exists = 0;
  const auto countExists = [&](const ImapResponse& response) {
    exists = ExistsCount(response, exists);
  };
  CommandReply reply = session.Run(std::string(kExamine) + folder, countExists);
  if (reply.answered && !reply.ok && createFolder) {
    reply = session.Run(std::string(kCreate) + folder);
    if (reply.ok) {
      reply = session.Run(std::string(kExamine) + folder, countExists);
    }
  }
  if (reply.ok && exists > 0) {
    reply = session.Run(kFetchMessageIds, [&](const ImapResponse& response) {
      if (response.Tag() == kData && !response.literals.empty()) {
        if (std::string id = MessageIdOf(response.literals.back()); !id.empty()) {
          ++ids[std::move(id)];
        }
      }
    });
    if (reply.answered && !reply.ok && createFolder) {
      ReportFailure(messages::kFolderUnread, program, serverName_.c_str(), folderName,
                    reply.text.c_str());
      return nullptr;
    }
  }
  if (!reply.ok && createFolder) {
    if (reply.answered) {
      ReportFailure(messages::kFolderRefused, program, serverName_.c_str(), folderName,
                    reply.text.c_str());
    } else {
      ReportFailure(messages::kConnectionLost, program, serverName_.c_str(),
                    server->connection.LostBecause().c_str());
    }
  }
  return reply.ok ? std::move(server) : nullptr;
}

void ImapFolder::ReportConnectFailure(const ConnectFailure& failure) const {
  const char* program = programName_.c_str();
  const char* server = serverName_.c_str();
  const char* detail = failure.detail.c_str();
  switch (failure.problem) {
    case ConnectProblem::HostNotFound:
      ReportFailure(messages::kHostNotFound, program, server);
      return;
    case ConnectProblem::Certificate:
      ReportFailure(messages::kCertificateRefused, program, server, detail);
      return;
    case ConnectProblem::NoStartTls:
      ReportFailure(messages::kNoStartTls, program, server);
      return;
    case ConnectProblem::LoginRefused:
      ReportFailure(messages::kLoginRefused, program, server, account_.address.user.c_str());
      return;
    case ConnectProblem::NoAnswer:
      ReportFailure(messages::kNoAnswer, program, server, detail);
      return;
    case ConnectProblem::NoConnection:
    case ConnectProblem::Other:
      ReportFailure(messages::kNoConnection, program, server, detail);
      return;
  }
}

void ImapFolder::BeginMessage(const MailStart& start, const MailFacts&) {
  start_ = start;
  inMessage_ = true;
  message_.clear();
  crLf_.Reset();
}

void ImapFolder::Write(std::string_view bytes) { crLf_.Write(bytes); }

void ImapFolder::EndMessage(const MailFacts& facts) {
  inMessage_ = false;
  lastNumber_ = start_.number;
  if (failed_) {
    return;
  }
  std::string id = facts.messageId;
  if (!id.empty()) {
    ++handled_[id];
    if (const auto there = inFolder_.find(id); there != inFolder_.end() && there->second > 0) {
      --there->second;
      ++alreadyThere_;
      ShowProgress();
      return;
    }
  }
  failed_ = !pipeline_->Append(start_, std::move(id), message_);
  ShowProgress();
}

void ImapFolder::ShowProgress() {
  if (control_ != nullptr) {
    control_->ShowProgress(alreadyThere_ + pipeline_->Confirmed(), expected_);
  }
}

bool ImapFolder::Failed() const { return failed_ || (control_ != nullptr && control_->StopAsked()); }

void ImapFolder::ReportStop(const PipelineStop& stop) const {
  const char* program = programName_.c_str();
  switch (stop.kind) {
    case StopKind::Refused:
      ReportFailure(messages::kMailRefused, program, serverName_.c_str(), stop.mailNumber,
                    stop.why.c_str());
      return;
    case StopKind::TooLarge:
      ReportFailure(messages::kMailTooLarge, program, stop.mailNumber, stop.why.c_str());
      return;
    case StopKind::Lost:
      ReportFailure(messages::kConnectionLost, program, serverName_.c_str(), stop.why.c_str());
      return;
  }
}

std::optional<std::uint32_t> ImapFolder::CountAgain() {
  MessageIdCounts now;
  const std::unique_ptr<Server> server = Connect(false, now);
  if (!server) {
    return std::nullopt;
  }
  server->session.Run(kLogout);
  std::uint32_t count = 0;
  for (const auto& [id, mails] : handled_) {
    if (const auto there = now.find(id); there != now.end()) {
      count += std::min(mails, there->second);
    }
  }
  return count;
}

std::uint32_t ImapFolder::HandledMails() const {
  std::uint32_t mails = 0;
  for (const auto& [id, count] : handled_) {
    mails += count;
  }
  return mails;
}

DestinationOutcome ImapFolder::Close(bool complete) {
  const bool uploaded = pipeline_->Finish();
  const std::optional<PipelineStop>& stop = pipeline_->Stopped();
  std::uint32_t inFolder = alreadyThere_ + pipeline_->Confirmed();
  bool counted = true;
  if (stop) {
    ReportStop(*stop);
  }
  if (stop && stop->kind == StopKind::Lost) {
    server_.reset();
    if (!pipeline_->Unconfirmed().empty()) {
      // The server may still be storing mails sent before the connection
      // went: a count below all of them is only a floor.
      const std::uint32_t again = CountAgain().value_or(0);
      inFolder = std::max(inFolder, again);
      counted = again == HandledMails();
    }
  } else {
    server_->session.Run(kLogout);
  }
  const bool whole = complete && uploaded && !failed_;
  const char* folderName = account_.address.folder.c_str();
  if (!whole) {
    const std::uint32_t stoppedAt =
        stop ? stop->mailNumber : (inMessage_ ? start_.number : lastNumber_ + 1);
    ReportFailure(counted ? messages::kUploadStopped : messages::kUploadStoppedAtLeast,
                  programName_.c_str(), stoppedAt, inFolder, logName_.c_str(), folderName);
  } else if (alreadyThere_ > 0) {
    ReportProgress(messages::kAlreadyThere, alreadyThere_, folderName);
  }
  DestinationOutcome outcome;
  outcome.messagesKept = inFolder;
  outcome.asAsked = whole;
  outcome.ok = uploaded && !failed_;
  return outcome;
}

}  // namespace mixconv::imap
