// Index times shown in the machine's local time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

namespace mixconv {

// "Jan" to "Dec" for months 1 to 12; nullptr for any other number.
const char* MonthAbbreviation(int month);

// Where the platform rejects the time, falls back to UTC, then to the epoch,
// so that every mail still gets a well-formed date.
std::tm BreakDownLocalTime(std::int32_t seconds);

// "Thu Jan 01 09:00:00 1970": the day always two digits.
// Returns the length written, without the terminating NUL.
int FormatSeparatorDate(const std::tm& time, char* destination, std::size_t capacity);

}  // namespace mixconv
