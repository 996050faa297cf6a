#include "imap/append_pipeline.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "engine/date_text.h"
#include "imap/modified_utf7.h"

namespace mixconv::imap {

namespace {

// Enough in flight to keep a far server busy, few enough that a stop names a
// mail near where it happened.
constexpr std::size_t kMostInFlight = 256;
constexpr std::size_t kMostQueuedBytes = 4 * 1024 * 1024;
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kSeenFlag = "(\\Seen)";
constexpr std::string_view kOk = "OK";
constexpr std::string_view kBye = "BYE";
constexpr std::string_view kData = "*";
constexpr std::string_view kGoAhead = "+";
constexpr char kDateTimeFormat[] = "%02d-%s-%04d %02d:%02d:%02d %c%02d%02d";
constexpr std::size_t kDateTimeSize = 64;
constexpr int kTmYearBase = 1900;
constexpr int kSecondsPerMinute = 60;
constexpr int kMinutesPerHour = 60;

}  // namespace

std::string InternalDate(std::int32_t seconds) {
  const std::tm local = BreakDownLocalTime(seconds);
  const int offsetMinutes = LocalTimeOffset(seconds) / kSecondsPerMinute;
  char text[kDateTimeSize];
  std::snprintf(text, sizeof text, kDateTimeFormat, local.tm_mday,
                MonthAbbreviation(local.tm_mon + 1), local.tm_year + kTmYearBase, local.tm_hour,
                local.tm_min, local.tm_sec, offsetMinutes < 0 ? '-' : '+',
                std::abs(offsetMinutes) / kMinutesPerHour, std::abs(offsetMinutes) % kMinutesPerHour);
  return text;
}

AppendPipeline::AppendPipeline(ImapSession& session, std::string_view folder,
                               const ServerAbilities& abilities)
    : session_(session), folderArgument_(Quoted(ModifiedUtf7(folder))), abilities_(abilities) {}

bool AppendPipeline::Append(const MailStart& start, std::string messageId,
                            std::string_view message) {
  if (stop_) {
    return false;
  }
  if (abilities_.appendLimit && message.size() > *abilities_.appendLimit) {
    stop_ = PipelineStop{StopKind::TooLarge, start.number, std::to_string(*abilities_.appendLimit)};
    return false;
  }
  const bool waits = !abilities_.literalPlus &&
                     !(abilities_.literalMinus && message.size() <= kLiteralMinusLimit);
  const std::string tag = session_.NextTag();
  ImapConnection& connection = session_.Connection();
  connection.Queue(tag + " APPEND " + folderArgument_ + " " + std::string(kSeenFlag) + " \"" +
                   InternalDate(start.time) + "\" {" + std::to_string(message.size()) +
                   (waits ? "}" : "+}") + std::string(kLineEnd));
  sent_.push_back({tag, start.number, std::move(messageId)});
  if (waits && !AwaitGoAhead(tag)) {
    return false;
  }
  connection.Queue(message);
  connection.Queue(kLineEnd);
  if (!Absorb(false)) {
    return false;
  }
  while (sent_.size() > kMostInFlight || connection.QueuedBytes() > kMostQueuedBytes) {
    if (!Absorb(true)) {
      return false;
    }
  }
  return !stop_;
}

bool AppendPipeline::Finish() {
  while (!sent_.empty()) {
    if (!Absorb(true)) {
      return false;
    }
  }
  return !stop_;
}

bool AppendPipeline::Absorb(bool wait) {
  ImapConnection& connection = session_.Connection();
  const bool connected = connection.Exchange(wait);
  // Replies that came just before the connection went still count.
  while (const std::optional<ImapResponse> response = connection.TakeResponse()) {
    Take(*response);
  }
  return connected || LostConnection(sent_.empty() ? 0 : sent_.front().number);
}

void AppendPipeline::Take(const ImapResponse& response) {
  if (response.Tag() == kData) {
    if (response.Word() == kBye) {
      byeText_ = response.Rest();
    }
    return;
  }
  for (auto mail = sent_.begin(); mail != sent_.end(); ++mail) {
    if (mail->tag != response.Tag()) {
      continue;
    }
    if (response.Word() == kOk) {
      ++confirmed_;
    } else if (!stop_) {
      stop_ = PipelineStop{StopKind::Refused, mail->number, std::string(response.Rest())};
    }
    sent_.erase(mail);
    return;
  }
}

bool AppendPipeline::AwaitGoAhead(const std::string& tag) {
  ImapConnection& connection = session_.Connection();
  for (;;) {
    const std::optional<ImapResponse> response = connection.NextResponse();
    if (!response) {
      return LostConnection(sent_.front().number);
    }
    if (response->Tag() == kGoAhead) {
      return true;
    }
    // Even after another mail's refusal the literal must follow its go-ahead:
    // the server would take any later command for it.
    Take(*response);
    if (sent_.empty() || sent_.back().tag != tag) {
      return false;  // refused before its literal
    }
  }
}

bool AppendPipeline::LostConnection(std::uint32_t mailNumber) {
  if (!stop_) {
    const std::string& why = session_.Connection().LostBecause();
    stop_ = PipelineStop{StopKind::Lost, mailNumber, byeText_.empty() ? why : byeText_};
  }
  return false;
}

}  // namespace mixconv::imap
