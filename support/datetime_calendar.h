// Proleptic Gregorian calendar arithmetic on whole days since 0001-01-01, shared by
// DateTime and the SYSTEMTIME/FILETIME/DATE conversions. No range checks here.
#pragma once

#include <cstdint>

namespace TAVQ {
namespace calendar {

struct CivilDate {
  int year;
  int month;
  int day;
};

// Days before each month (index month - 1, 0..12).
const int* DaysToMonth(bool leapYear);
bool IsLeap(int year);
int DaysInMonth(int year, int month);
std::int64_t DaysFromCivil(int year, int month, int day);
CivilDate CivilFromDays(std::int64_t days);
// 0 = Sunday; 0001-01-01 was a Monday.
int WeekdayFromDays(std::int64_t days);

}  // namespace calendar
}  // namespace TAVQ
