// RFC 2047 encoded-words for header values that are not plain ASCII.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mixconv {

// Where a header line is folded: a reader joins the lines again.
inline constexpr std::string_view kFoldingWhiteSpace = "\n ";

// Appends utf8 as "=?UTF-8?B?...?=" words, folding between words so that no
// line passes 76 characters; a word never splits a character. column is the
// length of the line so far.
void AppendEncodedWords(std::string_view utf8, std::size_t column, std::string& out);

}  // namespace mixconv
