#include "date_text.h"

#include <array>
#include <cstdio>

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

}  // namespace

const char* MonthAbbreviation(int month) { return NameAt(kMonthAbbreviations, month - 1); }

std::tm BreakDownLocalTime(std::int32_t seconds) {
  std::tm result{};
  if (ToLocalTime(seconds, result) || ToUniversalTime(seconds, result)) {
    return result;
  }
  return Epoch();
}

int FormatSeparatorDate(const std::tm& time, char* destination, std::size_t capacity) {
  return std::snprintf(destination, capacity, "%s %s %02d %02d:%02d:%02d %d",
                       NameAt(kWeekdayAbbreviations, time.tm_wday),
                       MonthAbbreviation(time.tm_mon + 1), time.tm_mday, time.tm_hour, time.tm_min,
                       time.tm_sec, time.tm_year + 1900);
}

}  // namespace mixconv
