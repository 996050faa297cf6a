// Hands out one mail's text line by line, never reading past the entry's length.
#pragma once

#include <cstdint>
#include <cstdio>

#include "mail_index.h"

namespace mixconv {

inline constexpr int kReadBufferSize = 8192;

// Forgets the previous mail's buffered bytes; call after positioning the text file.
void BeginMail(std::uint32_t& consumed);

// Copies the next line (up to and including its LF) or the next capacity bytes of
// it into destination. Returns the byte count, 0 at the end of the mail's text,
// or -1 after reporting a read error. destination is not NUL-terminated.
int ReadMailLine(char* destination, int capacity, const MailIndexEntry& entry, std::FILE* textFile,
                 std::uint32_t& consumed);

}  // namespace mixconv
