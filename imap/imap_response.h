// The server's side of the conversation: the bytes that arrive, cut into whole
// responses, each a line or, where literals come, lines and literals.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mixconv::imap {

struct ImapResponse {
  // The response's lines without their line ends, joined; each literal is left
  // out, its {N} marker kept.
  std::string text;
  std::vector<std::string> literals;

  // "*" for data, "+" for a continuation, else the tag of the command it ends.
  std::string_view Tag() const;
  // The word after the tag: OK, NO, BAD, BYE, or a number for "* 3 EXISTS".
  std::string_view Word() const;
  // What follows that word.
  std::string_view Rest() const;
};

class ResponseReader {
 public:
  void Feed(std::string_view bytes);
  // The next response, once all of it has come.
  std::optional<ImapResponse> Next();

 private:
  std::string buffer_;
  std::size_t start_ = 0;  // where the next response begins in buffer_
};

}  // namespace mixconv::imap
