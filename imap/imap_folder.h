// An IMAP folder as a destination: every message is appended to it, seen and
// dated with its mail's time, unless a message with its Message-ID is there
// already; so a run again after any stop sends exactly the rest.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/mail_destination.h"
#include "formats/crlf_lines.h"
#include "formats/string_sink.h"
#include "imap/append_pipeline.h"
#include "imap/imap_connection.h"
#include "imap/imap_session.h"
#include "imap/upload_control.h"

namespace mixconv::imap {

// How many messages with each Message-ID.
using MessageIdCounts = std::unordered_map<std::string, std::uint32_t>;

class ImapFolder final : public MailDestination {
 public:
  // programName starts the lines it reports.
  ImapFolder(std::string programName, ImapAccount account, std::string_view password,
             UploadControl* control);
  ~ImapFolder();
  ImapFolder(const ImapFolder&) = delete;
  ImapFolder& operator=(const ImapFolder&) = delete;

  // Logs in and reads the Message-IDs in the folder, which it makes when missing.
  bool Open(const std::string& base) override;
  void ExpectMessages(std::uint32_t entries) override { expected_ = entries; }
  void BeginMessage(const MailStart& start, const MailFacts&) override;
  void Write(std::string_view bytes) override;
  void EndMessage(const MailFacts& facts) override;
  // Also once the user asked to stop.
  bool Failed() const override;
  DestinationOutcome Close(bool complete) override;

 private:
  struct Server {
    ImapConnection connection;
    ImapSession session{connection};
  };

  // A logged-in session whose folder's Message-IDs are in ids; null after
  // reporting why not.
  std::unique_ptr<Server> Connect(bool createFolder, MessageIdCounts& ids);
  void ReportConnectFailure(const ConnectFailure& failure) const;
  void ReportStop(const PipelineStop& stop) const;
  // The log's mails in the folder, counted again after a lost connection.
  std::optional<std::uint32_t> CountAgain();
  std::uint32_t HandledMails() const;
  void ShowProgress();

  std::string programName_;
  ImapAccount account_;
  std::string password_;
  UploadControl* control_;
  std::string serverName_;
  std::string logName_;
  std::string serverFolder_;  // the folder as the server names its levels
  std::unique_ptr<Server> server_;
  std::optional<AppendPipeline> pipeline_;
  MessageIdCounts inFolder_;  // before this run, less those matched to its mails since
  MessageIdCounts handled_;   // this run's mails, sent or found there
  std::string message_;
  StringSink messageBytes_{message_};
  CrLfLines crLf_{messageBytes_};
  MailStart start_;
  bool inMessage_ = false;
  std::uint32_t lastNumber_ = 0;
  std::uint32_t expected_ = 0;
  std::uint32_t alreadyThere_ = 0;
  bool failed_ = false;
};

}  // namespace mixconv::imap
