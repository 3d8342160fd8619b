#include "support/datetime_calendar.h"

#include <algorithm>

namespace TAVQ {
namespace calendar {

namespace {
constexpr int kDaysToMonth365[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
constexpr int kDaysToMonth366[13] = {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366};
constexpr std::int64_t kDaysPer400Years = 146097;
constexpr std::int64_t kDaysPer100Years = 36524;
constexpr std::int64_t kDaysPer4Years = 1461;
constexpr std::int64_t kDaysPerYear = 365;
}  // namespace

const int* DaysToMonth(bool leapYear) { return leapYear ? kDaysToMonth366 : kDaysToMonth365; }

bool IsLeap(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  const int* table = DaysToMonth(IsLeap(year));
  return table[month] - table[month - 1];
}

std::int64_t DaysFromCivil(int year, int month, int day) {
  const std::int64_t y = year - 1;
  return 365 * y + y / 4 - y / 100 + y / 400 + DaysToMonth(IsLeap(year))[month - 1] + day - 1;
}

CivilDate CivilFromDays(std::int64_t days) {
  std::int64_t n = days;
  const std::int64_t q400 = n / kDaysPer400Years;
  n %= kDaysPer400Years;
  // The last day of a 400-year cycle would give a fifth century; it belongs to the fourth.
  const std::int64_t q100 = std::min<std::int64_t>(n / kDaysPer100Years, 3);
  n -= q100 * kDaysPer100Years;
  const std::int64_t q4 = n / kDaysPer4Years;
  n %= kDaysPer4Years;
  const std::int64_t q1 = std::min<std::int64_t>(n / kDaysPerYear, 3);
  n -= q1 * kDaysPerYear;
  const int year = static_cast<int>(400 * q400 + 100 * q100 + 4 * q4 + q1 + 1);
  const bool leap = q1 == 3 && (q4 != 24 || q100 == 3);
  const int* table = DaysToMonth(leap);
  int month = static_cast<int>(n >> 5) + 1;
  while (n >= table[month]) ++month;
  return CivilDate{year, month, static_cast<int>(n - table[month - 1] + 1)};
}

int WeekdayFromDays(std::int64_t days) { return static_cast<int>((days + 1) % 7); }

}  // namespace calendar
}  // namespace TAVQ
