#include "date_text.h"

#include <array>
#include <charconv>

#include "mail_writer.h"

namespace mixconv {

namespace {

constexpr std::array<const char*, 12> kMonthAbbreviations = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

constexpr std::array<const char*, 7> kWeekdayAbbreviations = {"Sun", "Mon", "Tue", "Wed",
                                                              "Thu", "Fri", "Sat"};

bool ToLocalTime(std::time_t time, std::tm& result) {
#ifdef _WIN32
  return localtime_s(&result, &time) == 0;
#else
  return localtime_r(&time, &result) != nullptr;
#endif
}

template <typename Table>
const char* NameAt(const Table& table, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < table.size()
             ? table[static_cast<std::size_t>(index)]
             : nullptr;
}

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
long long DaysFromCivil(long long year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const int shiftedMonth = month > 2 ? month - 3 : month + 9;
  const long long dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

constexpr int kTmYearBase = 1900;
constexpr long long kSecondsPerDay = 86400;
constexpr int kEpochWeekday = 4;  // 1970-01-01 was a Thursday

long long SecondsOfCivilTime(const std::tm& time) {
  return DaysFromCivil(time.tm_year + kTmYearBase, time.tm_mon + 1, time.tm_mday) * kSecondsPerDay +
         time.tm_hour * 3600LL + time.tm_min * 60LL + time.tm_sec;
}

// The inverse of DaysFromCivil and SecondsOfCivilTime, for any 32-bit time and offset.
std::tm CivilTime(long long seconds) {
  long long days = seconds / kSecondsPerDay;
  long long secondOfDay = seconds % kSecondsPerDay;
  if (secondOfDay < 0) {
    secondOfDay += kSecondsPerDay;
    --days;
  }
  const long long shifted = days + 719468;
  const long long era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
  const long long dayOfEra = shifted - era * 146097;
  const long long yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long shiftedMonth = (5 * dayOfYear + 2) / 153;
  const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  std::tm time{};
  time.tm_year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0) - kTmYearBase);
  time.tm_mon = month - 1;
  time.tm_mday = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  time.tm_hour = static_cast<int>(secondOfDay / 3600);
  time.tm_min = static_cast<int>(secondOfDay / 60 % 60);
  time.tm_sec = static_cast<int>(secondOfDay % 60);
  time.tm_wday = static_cast<int>(((days + kEpochWeekday) % 7 + 7) % 7);
  return time;
}

void AppendClockTime(std::string& out, const std::tm& time) {
  AppendTwoDigits(out, time.tm_hour);
  out += ':';
  AppendTwoDigits(out, time.tm_min);
  out += ':';
  AppendTwoDigits(out, time.tm_sec);
}

}  // namespace

const char* MonthAbbreviation(int month) {
  return month >= 1 ? NameAt(kMonthAbbreviations, month - 1) : nullptr;
}

const char* WeekdayAbbreviation(int weekday) { return NameAt(kWeekdayAbbreviations, weekday); }

int LocalTimeOffset(std::int32_t seconds) {
  return static_cast<int>(SecondsOfCivilTime(BreakDownLocalTime(seconds)) - seconds);
}

std::tm BreakDownLocalTime(std::int32_t seconds) {
  std::tm result{};
  if (ToLocalTime(seconds, result)) {
    return result;
  }
  // Some platforms reject times before 1970; they still know the zone at 1970.
  std::tm epoch{};
  const long long offset = ToLocalTime(0, epoch) ? SecondsOfCivilTime(epoch) : 0;
  return CivilTime(seconds + offset);
}

void AppendNumber(std::string& out, int number) {
  std::array<char, 16> digits{};
  const char* const end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
  out.append(digits.data(), static_cast<std::size_t>(end - digits.data()));
}

void AppendTwoDigits(std::string& out, int number) {
  if (number >= 0 && number < 10) {
    out += '0';
  }
  AppendNumber(out, number);
}

void AppendIndexDate(std::string& out, std::int32_t seconds) {
  const std::tm time = BreakDownLocalTime(seconds);
  AppendTwoDigits(out, time.tm_mday);
  out += ' ';
  out += MonthAbbreviation(time.tm_mon + 1);
  out += ' ';
  AppendNumber(out, time.tm_year + kTmYearBase);
  out += ' ';
  AppendClockTime(out, time);
}

void AppendSeparatorDate(std::string& out, std::int32_t seconds) {
  const std::tm time = BreakDownLocalTime(seconds);
  out += WeekdayAbbreviation(time.tm_wday);
  out += ' ';
  out += MonthAbbreviation(time.tm_mon + 1);
  out += ' ';
  AppendTwoDigits(out, time.tm_mday);
  out += ' ';
  AppendClockTime(out, time);
  out += ' ';
  AppendNumber(out, time.tm_year + kTmYearBase);
}

}  // namespace mixconv
