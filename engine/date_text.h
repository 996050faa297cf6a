// Index times shown in the machine's local time.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace mixconv {

// "Jan" to "Dec" for months 1 to 12; nullptr for any other number.
const char* MonthAbbreviation(int month);

// Where the platform rejects the time, uses the zone it gives for 1970, so that
// every mail still gets its date.
std::tm BreakDownLocalTime(std::int32_t seconds);

// "Sun" to "Sat" for days 0 to 6 of the week; nullptr for any other number.
const char* WeekdayAbbreviation(int weekday);

// The number as printf's "%d" writes it.
void AppendNumber(std::string& out, int number);
// At least two digits, zero-padded as printf's "%02d" pads.
void AppendTwoDigits(std::string& out, int number);

// The index time in local time as "Thu Jan 01 09:00:00 1970", the separator's form.
// (The Date line's form, AppendIndexDate, is public: writers use it too.)
void AppendSeparatorDate(std::string& out, std::int32_t seconds);

}  // namespace mixconv
