#include "date_text.h"

#include <array>

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

const char* WeekdayAbbreviation(int weekday) { return NameAt(kWeekdayAbbreviations, weekday); }

std::tm BreakDownLocalTime(std::int32_t seconds) {
  std::tm result{};
  if (ToLocalTime(seconds, result) || ToUniversalTime(seconds, result)) {
    return result;
  }
  return Epoch();
}

}  // namespace mixconv
