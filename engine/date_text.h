// Index times shown in the machine's local time.
#pragma once

#include <cstdint>
#include <ctime>

namespace mixconv {

// "Jan" to "Dec" for months 1 to 12; nullptr for any other number.
const char* MonthAbbreviation(int month);

// Where the platform rejects the time, uses the zone it gives for 1970, so that
// every mail still gets its date.
std::tm BreakDownLocalTime(std::int32_t seconds);

// "Sun" to "Sat" for days 0 to 6 of the week; nullptr for any other number.
const char* WeekdayAbbreviation(int weekday);

}  // namespace mixconv
