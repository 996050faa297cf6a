#include "date_text.h"

#include <array>

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

bool ToUniversalTime(std::time_t time, std::tm& result) {
#ifdef _WIN32
  return gmtime_s(&result, &time) == 0;
#else
  return gmtime_r(&time, &result) != nullptr;
#endif
}

std::tm Epoch() {
  std::tm epoch{};
  epoch.tm_mday = 1;
  epoch.tm_year = 70;
  epoch.tm_wday = 4;
  return epoch;
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

long long SecondsOfCivilTime(const std::tm& time) {
  constexpr int kTmYearBase = 1900;
  constexpr long long kSecondsPerDay = 86400;
  return DaysFromCivil(time.tm_year + kTmYearBase, time.tm_mon + 1, time.tm_mday) * kSecondsPerDay +
         time.tm_hour * 3600LL + time.tm_min * 60LL + time.tm_sec;
}

}  // namespace

const char* MonthAbbreviation(int month) { return NameAt(kMonthAbbreviations, month - 1); }

const char* WeekdayAbbreviation(int weekday) { return NameAt(kWeekdayAbbreviations, weekday); }

int LocalTimeOffset(std::int32_t seconds) {
  std::tm universal{};
  if (!ToUniversalTime(seconds, universal)) {
    return 0;
  }
  return static_cast<int>(SecondsOfCivilTime(BreakDownLocalTime(seconds)) -
                          SecondsOfCivilTime(universal));
}

std::tm BreakDownLocalTime(std::int32_t seconds) {
  std::tm result{};
  if (ToLocalTime(seconds, result) || ToUniversalTime(seconds, result)) {
    return result;
  }
  return Epoch();
}

}  // namespace mixconv
