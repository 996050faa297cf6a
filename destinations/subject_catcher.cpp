#include "destinations/subject_catcher.h"

#include <algorithm>

#include "engine/line_text.h"

namespace mixconv {

namespace {

constexpr std::string_view kSubjectField = "Subject:";
constexpr std::size_t kMaxLineBytes = kSubjectField.size() + SubjectCatcher::kMaxValueBytes;

bool IsFoldingWhiteSpace(char byte) { return byte == ' ' || byte == '\t'; }

}  // namespace

void SubjectCatcher::Reset() {
  line_.clear();
  value_.clear();
  inSubject_ = false;
  headerEnded_ = false;
}

void SubjectCatcher::Take(std::string_view bytes) {
  while (!bytes.empty() && !headerEnded_) {
    const std::size_t lineEnd = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, lineEnd);
    // A line longer than the field can be is kept only that far.
    line_.append(piece.substr(0, kMaxLineBytes - line_.size()));
    if (lineEnd == std::string_view::npos) {
      return;
    }
    EndLine();
    bytes.remove_prefix(lineEnd + 1);
  }
}

void SubjectCatcher::EndLine() {
  const std::string_view line = WithoutLineEnd(line_);
  if (line.empty()) {
    headerEnded_ = true;
  } else if (inSubject_ && IsFoldingWhiteSpace(line.front())) {
    value_.append(line.substr(0, kMaxValueBytes - std::min(value_.size(), kMaxValueBytes)));
  } else {
    inSubject_ = value_.empty() && line.size() >= kSubjectField.size() &&
                 EqualIgnoringAsciiCase(line.substr(0, kSubjectField.size()), kSubjectField);
    if (inSubject_) {
      value_ = line.substr(kSubjectField.size());
    }
  }
  line_.clear();
}

}  // namespace mixconv
