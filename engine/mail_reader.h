// Hands out one mail's text line by line, never reading past the entry's length.
#pragma once

#include <cstdint>
#include <cstdio>

#include "mail_index.h"

namespace mixconv {

inline constexpr int kReadBufferSize = 8192;

// A text file just opened is at its start.
void BeginTextFile(std::FILE* textFile);

// Positions the text file at a mail's offset; false when that fails. Where reading
// has already brought the file there, it is not repositioned, so that a log kept in
// file order is read straight through the stream's buffer.
bool PositionTextFile(std::FILE* textFile, std::int32_t offset);

// Forgets the previous mail's buffered bytes; call after positioning the text file.
void BeginMail(std::uint32_t& consumed);

// Copies the next line (up to and including its LF) or the next capacity bytes of
// it into destination. Returns the byte count, 0 at the end of the mail's text,
// or -1 after reporting a read error. destination is not NUL-terminated.
int ReadMailLine(char* destination, int capacity, const MailIndexEntry& entry, std::FILE* textFile,
                 std::uint32_t& consumed);

}  // namespace mixconv
