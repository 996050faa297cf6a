// Received mail (kind 0), with its two special forms: undelivered-mail notices
// and mail from the Internet gateway.
#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

#include "common_parts.h"
#include "convert_one_mail.h"
#include "date_text.h"
#include "header_line.h"
#include "line_text.h"
#include "messages.h"
#include "report.h"
#include "run_context.h"
#include "sjis.h"

namespace mixconv {

namespace {

constexpr std::size_t kMemberIdPosition = 22;
constexpr std::size_t kMaxLeadingSpaces = 2;
constexpr std::size_t kMaxMemberIdLength = 32;
constexpr std::size_t kMaxTimeTextLength = 20;
constexpr std::size_t kMemberIdBufferSize = 256;
constexpr int kTwoDigitYearBase = 1900;
constexpr std::string_view kInternetGateway = "INET GATE";

// What line 3 says about the sender and the time of the mail, copied out of
// LineBuffer before the next line replaces it.
struct MailOrigin {
  std::array<char, kMemberIdBufferSize> memberIdBuffer{};
  std::string_view memberId;
  int year = 0;
  int month = 0;
  int day = 0;
  std::array<char, kMaxTimeTextLength> timeTextBuffer{};
  std::string_view timeText;
};

bool IsStringToIntegerSpace(char byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

bool IsDigit(char byte) { return byte >= '0' && byte <= '9'; }

// Reads like the C library's string-to-integer, but stays inside the line and
// saturates instead of overflowing.
int ParseDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsStringToIntegerSpace(text[i])) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = std::min<long long>(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  value = negative ? -value : value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// A stray CR inside line 3 separates like a space.
constexpr std::string_view kBlanks = " \r";
constexpr std::string_view kDateSeparator = "/";

// Moves past digits, then past one separator byte if it is there.
void SkipNumber(std::string_view& text, std::string_view separators) {
  std::size_t i = 0;
  while (i < text.size() && IsDigit(text[i])) {
    ++i;
  }
  if (i < text.size() && separators.find(text[i]) != std::string_view::npos) {
    ++i;
  }
  text.remove_prefix(i);
}

void SkipSpaces(std::string_view& text, std::size_t limit) {
  std::size_t i = 0;
  while (i < text.size() && i < limit && kBlanks.find(text[i]) != std::string_view::npos) {
    ++i;
  }
  text.remove_prefix(i);
}

// Line 3: from position 22, the member ID, then "YYYY/MM/DD hh:mm".
void ParseOrigin(std::string_view line3, MailOrigin& origin) {
  std::string_view rest = WithoutLineEnd(line3);
  rest.remove_prefix(std::min(kMemberIdPosition, rest.size()));
  SkipSpaces(rest, kMaxLeadingSpaces);

  const std::size_t idLength = std::min(rest.substr(0, kMaxMemberIdLength).find_first_of(kBlanks),
                                        std::min(rest.size(), kMaxMemberIdLength));
  std::transform(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(idLength),
                 origin.memberIdBuffer.begin(), AsciiLower);
  origin.memberId = UpToNul({origin.memberIdBuffer.data(), idLength});
  rest.remove_prefix(idLength);

  SkipSpaces(rest, rest.size());
  origin.year = ParseDecimal(rest);
  if (origin.year < 100) {
    origin.year += kTwoDigitYearBase;
  }
  SkipNumber(rest, kDateSeparator);
  origin.month = ParseDecimal(rest);
  SkipNumber(rest, kDateSeparator);
  origin.day = ParseDecimal(rest);
  SkipNumber(rest, kBlanks);
  const std::string_view timeText = UpToNul(rest.substr(0, kMaxTimeTextLength));
  std::replace_copy(timeText.begin(), timeText.end(), origin.timeTextBuffer.begin(), '\r', ' ');
  origin.timeText = {origin.timeTextBuffer.data(), timeText.size()};
}

std::string_view SkipLeadingSpaces(std::string_view line) {
  SkipSpaces(line, line.size());
  return line;
}

void WriteFromLine(std::string_view senderName, std::string_view memberId, MailOutput& out) {
  HeaderLine line(HeaderField::From, out);
  line.Append("From: ");
  if (!senderName.empty()) {
    line.AppendDisplayName(senderName).Append(" <");
  }
  line.BeginAddress().Append(memberId);
  AppendMailDomain(line);
  line.EndAddress();
  if (!senderName.empty()) {
    line.Append(">");
  }
  line.Finish();
}

void WriteDateLine(const MailOrigin& origin, std::int32_t indexTime, MailOutput& out) {
  const char* month = MonthAbbreviation(origin.month);
  if (month == nullptr) {
    WriteIndexDateLine(indexTime, out);
    return;
  }
  HeaderLine line(HeaderField::Date, out);
  line.SetTime(indexTime).Append("Date: ").AppendTwoDigits(origin.day).Append(" ").Append(month);
  line.Append(" ").AppendNumber(origin.year).Append(" ").Append(origin.timeText);
  line.Append(":00").Finish();
}

}  // namespace

int ConvertReceivedMail(const MailIndexEntry& entry, MailText& text, std::string_view senderName,
                        bool undeliveredNotice, MailOutput& out) {
  text.SkipLine();
  MailOrigin origin;
  text.ReadPiece();
  ParseOrigin(text.Piece(), origin);
  text.SkipRestOfLine();
  if (undeliveredNotice) {
    origin.memberId = senderName;
    senderName = {};
  }

  text.ReadPiece();
  const std::string_view subjectLine = SkipLeadingSpaces(text.Piece());
  if (!subjectLine.starts_with(kTitleMarker)) {
    ReportFailure(messages::kNoSubjectLine, CurrentRun.programName);
    return -1;
  }
  {
    HeaderLine line(HeaderField::Subject, out);
    line.Append("Subject: ");
    if (undeliveredNotice) {
      line.Append(kUndeliveredMarker);
    }
    AppendRestOfLine(line, text, subjectLine.substr(kTitleMarker.size()));
    line.Finish();
  }
  text.SkipLine();

  const bool fromGateway = senderName == kInternetGateway;
  if (!fromGateway) {
    WriteFromLine(senderName, origin.memberId, out);
    WriteUserLine(HeaderField::To, "To: ", out);
    WriteDateLine(origin, entry.time, out);
  }

  CopyRemainingLines(text, out, fromGateway);
  return 0;
}

}  // namespace mixconv
