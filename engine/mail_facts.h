// What a mail is about, gathered once as its parts go to the writer and handed
// to destinations and observers with its bytes, so that none of them reads it
// back out of the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mixconv {

// A gateway mail's sender is its own From field's value, whole, in address.
struct MailboxText {
  std::string displayName;  // empty when it has none
  std::string address;
};

// The texts are UTF-8, as the mail shows them.
struct MailFacts {
  std::uint32_t number = 0;  // the mail's place in the index, counted from 1
  std::int32_t time = 0;     // the mail's index time
  std::string subject;       // empty when the mail has none
  MailboxText sender;
  // A recipient list of any length comes in parts: no more than this many are
  // kept, so that a mail's facts stay small.
  static constexpr std::size_t kMaxRecipients = 100;
  std::vector<MailboxText> recipients;
  std::uint32_t recipientsLeftOut = 0;  // those after the first kMaxRecipients
  // The "<...>" the message's Message-ID field holds; empty when the form writes none.
  std::string messageId;
};

}  // namespace mixconv
