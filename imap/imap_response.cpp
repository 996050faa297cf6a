#include "imap/imap_response.h"

#include <charconv>
#include <cstdint>

namespace mixconv::imap {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// Consumed bytes are dropped once they are this many and the larger part.
constexpr std::size_t kCompactAt = 64 * 1024;

// The size of the literal that a line's {N} or {N+} announces.
std::optional<std::size_t> LiteralSize(std::string_view line) {
  if (!line.ends_with('}')) {
    return std::nullopt;
  }
  line.remove_suffix(1);
  if (line.ends_with('+')) {
    line.remove_suffix(1);
  }
  const std::size_t open = line.rfind('{');
  if (open == std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view digits = line.substr(open + 1);
  std::uint64_t size = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      size > SIZE_MAX) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(size);
}

// The word of text that starts at from (after one space), and where it ends.
std::string_view WordAt(std::string_view text, std::size_t from) {
  if (from >= text.size()) {
    return {};
  }
  return text.substr(from, text.find(' ', from) - from);
}

}  // namespace

std::string_view ImapResponse::Tag() const { return WordAt(text, 0); }

std::string_view ImapResponse::Word() const { return WordAt(text, Tag().size() + 1); }

std::string_view ImapResponse::Rest() const {
  const std::size_t from = Tag().size() + 1 + Word().size() + 1;
  return from < text.size() ? std::string_view(text).substr(from) : std::string_view();
}

void ResponseReader::Feed(std::string_view bytes) {
  if (start_ >= kCompactAt && start_ * 2 >= buffer_.size()) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  buffer_.append(bytes);
}

std::optional<ImapResponse> ResponseReader::Next() {
  ImapResponse response;
  std::size_t at = start_;
  for (;;) {
    const std::size_t lineEnd = buffer_.find(kLineEnd, at);
    if (lineEnd == std::string::npos) {
      return std::nullopt;
    }
    const std::string_view line = std::string_view(buffer_).substr(at, lineEnd - at);
    response.text += line;
    at = lineEnd + kLineEnd.size();
    const std::optional<std::size_t> literal = LiteralSize(line);
    if (!literal) {
      break;
    }
    if (buffer_.size() - at < *literal) {
      return std::nullopt;
    }
    response.literals.emplace_back(buffer_, at, *literal);
    at += *literal;
  }
  start_ = at;
  return response;
}

}  // namespace mixconv::imap
