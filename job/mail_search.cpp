#include "job/mail_search.h"

#include "charset/search_folding.h"

namespace mixconv {

namespace {

constexpr char kFieldEnd = '\n';
constexpr std::string_view kAddressStart = " <";
constexpr std::string_view kAddressEnd = ">";

}  // namespace

MailSearch::MailSearch(std::string_view query) { AppendFoldedForSearch(query_, query); }

void MailSearch::BeginMail(const MailStart&) { text_.clear(); }

void MailSearch::CopiedLine(const mixconv::CopiedLine& line) {
  text_ += decoder_.Decode(line.bytes, false);
}

// The recipients are the user or, in a sent mail, those it went to: not searched.
void MailSearch::EndMail(const MailFacts& facts) {
  text_ += decoder_.Decode({}, true);
  folded_.clear();
  AppendFoldedForSearch(folded_, facts.subject);
  folded_ += kFieldEnd;
  const MailboxText& sender = facts.sender;
  if (sender.displayName.empty()) {
    AppendFoldedForSearch(folded_, sender.address);
  } else {
    AppendFoldedForSearch(folded_, sender.displayName);
    folded_ += kAddressStart;
    AppendFoldedForSearch(folded_, sender.address);
    folded_ += kAddressEnd;
  }
  folded_ += kFieldEnd;
  AppendFoldedForSearch(folded_, text_);
  if (folded_.find(query_) != std::string::npos) {
    matches_.push_back(facts.number);
  }
}

}  // namespace mixconv
