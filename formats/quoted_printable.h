// Quoted-printable (RFC 2045) for a text that must not hold a line an mbox
// would take for a separator: every reader decodes it, while mbox tools see
// no "From " at any line start.
#pragma once

#include <string>
#include <string_view>

#include "engine/mail_writer.h"

namespace mixconv {

// Whether an mbox changes this line: it reads as a separator ("From "), or as
// one that was quoted (">From ", ">>From ", ...), which mboxrd quotes again.
bool ReadsAsFromLine(std::string_view line);

// Appends one line of UTF-8 text, without its line end, to buffer as
// quoted-printable lines of at most 76 characters joined by soft line breaks,
// then LF. No line written reads as a From line, and no character is split
// between two lines. Whenever buffer has grown to 64 KiB it goes to out and is
// emptied, so that a line of any length takes little memory; what is left is
// the caller's to write.
void AppendQuotedPrintableLine(std::string_view line, std::string& buffer, MessageSink& out);

}  // namespace mixconv
