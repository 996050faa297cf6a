// A header field's value as the text it stands for: RFC 2047 encoded-words in
// UTF-8 or US-ASCII decoded, the whitespace between two of them dropped.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mixconv {

// Nothing where a word is in another charset or the text is not UTF-8.
std::optional<std::string> DecodeHeaderText(std::string_view value);

}  // namespace mixconv
