// Text as the search compares it: the full-width and half-width forms of the
// same letters alike (full-width ASCII, half-width katakana with their voiced
// marks, the ideographic space), and letters of either case alike, as Unicode's
// NFKC and case folding would make them for the letters code page 932 holds.
#pragma once

#include <string>
#include <string_view>

namespace mixconv {

// Appends the folded form of utf8; a byte that is not well-formed UTF-8 becomes U+FFFD.
void AppendFoldedForSearch(std::string& out, std::string_view utf8);

}  // namespace mixconv
