#include "job/mail_search.h"

#include "charset/search_folding.h"

namespace mixconv {

namespace {

constexpr std::string_view kFieldNames[] = {"Subject: ", "From: "};
constexpr char kFieldEnd = '\n';

}  // namespace

MailSearch::MailSearch(std::string_view query) { AppendFoldedForSearch(query_, query); }

void MailSearch::BeginMail(const MailStart&) {
  text_.clear();
  lineContinues_ = false;
}

void MailSearch::Take(std::string_view cp932) { text_ += decoder_.Decode(cp932, false); }

// The recipients are the user or, in a sent mail, those it went to: not searched.
void MailSearch::HeaderLine(const HeaderLineView& line) {
  const bool firstPart = !lineContinues_;
  lineContinues_ = line.continues;
  if (line.field != HeaderField::Subject && line.field != HeaderField::From) {
    return;
  }
  std::string_view value = line.bytes;
  if (firstPart) {
    for (const std::string_view name : kFieldNames) {
      if (value.starts_with(name)) {
        value.remove_prefix(name.size());
      }
    }
  }
  Take(value);
  if (!line.continues) {
    text_ += decoder_.Decode({}, true);
    text_ += kFieldEnd;
  }
}

void MailSearch::CopiedLine(const mixconv::CopiedLine& line) { Take(line.bytes); }

void MailSearch::EndMail(const MailEnd& end) {
  text_ += decoder_.Decode({}, true);
  folded_.clear();
  AppendFoldedForSearch(folded_, text_);
  if (folded_.find(query_) != std::string::npos) {
    matches_.push_back(end.number);
  }
}

}  // namespace mixconv
