// Which mails hold a text in their sender, subject or text, compared as
// charset/search_folding folds them: it watches a run that writes nothing,
// one mail at a time, so that no more than one mail's text is held.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "charset/cp932_decoder.h"
#include "job/mail_observer.h"

namespace mixconv {

class MailSearch final : public MailObserver {
 public:
  // query in UTF-8, as the user typed it.
  explicit MailSearch(std::string_view query);

  void BeginMail(const MailStart& start) override;
  void CopiedLine(const mixconv::CopiedLine& line) override;
  void EndMail(const MailFacts& facts) override;

  // The mails that hold the query, by their place in the index, in index order.
  const std::vector<std::uint32_t>& Matches() const { return matches_; }

 private:
  std::string query_;
  Cp932Decoder decoder_;
  std::string text_;  // the mail's text so far, in UTF-8
  std::string folded_;
  std::vector<std::uint32_t> matches_;
};

}  // namespace mixconv
