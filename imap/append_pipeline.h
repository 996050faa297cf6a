// Messages appended to a folder one after another without waiting for each
// reply, which a server far away would make slow; the replies are matched to
// their mails as they come.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "engine/mail_writer.h"
#include "imap/imap_session.h"

namespace mixconv::imap {

enum class StopKind {
  Refused,   // the server said NO to a mail
  TooLarge,  // a mail is larger than the server takes
  Lost,      // the connection was lost
};

struct PipelineStop {
  StopKind kind = StopKind::Lost;
  std::uint32_t mailNumber = 0;  // the first mail not known to be in the folder
  std::string why;               // the server's words, the size limit, or why the connection went
};

struct SentMail {
  std::string tag;
  std::uint32_t number = 0;
  std::string messageId;
};

class AppendPipeline {
 public:
  // folder: the folder's name as the server knows it.
  AppendPipeline(ImapSession& session, std::string_view folder, const ServerAbilities& abilities);

  // Sends one message, seen and dated with the mail's time; false once the
  // pipeline has stopped.
  bool Append(const MailStart& start, std::string messageId, std::string_view message);
  // Waits for the replies to every message sent; false when it stopped.
  bool Finish();
  std::uint32_t Confirmed() const { return confirmed_; }
  const std::optional<PipelineStop>& Stopped() const { return stop_; }
  // The mails whose reply has not come; after a lost connection, some may be
  // in the folder all the same.
  const std::deque<SentMail>& Unconfirmed() const { return sent_; }

 private:
  // Takes every response that has come, waiting for one when wait is set.
  bool Absorb(bool wait);
  void Take(const ImapResponse& response);
  // Waits for the server's go-ahead to send the literal of the command tagged tag.
  bool AwaitGoAhead(const std::string& tag);
  bool LostConnection(std::uint32_t mailNumber);

  ImapSession& session_;
  std::string folderArgument_;
  ServerAbilities abilities_;
  std::deque<SentMail> sent_;
  std::uint32_t confirmed_ = 0;
  std::optional<PipelineStop> stop_;
  std::string byeText_;  // what the server said as it closed the connection
};

// The mail's time as an IMAP date-time in local time: "14-Jun-2001 16:24:00 +0900".
std::string InternalDate(std::int32_t seconds);

}  // namespace mixconv::imap
