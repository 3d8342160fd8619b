// The platform's calendar forms and their conversions, with the results of the
// Windows functions of the same names on every platform.
//
// A file time is a count of 100-nanosecond ticks since 1601-01-01 00:00 (the two
// halves of a FILETIME as one number). An OLE DATE is a count of days since
// 1899-12-30 00:00 whose fraction is the time of day; before that day the integer
// part counts backwards and the fraction forwards (-1.25 is 1899-12-29 06:00).
#pragma once

#include <cstdint>

namespace TAVQ {

// Field for field the layout of the platform's SYSTEMTIME.
struct SystemTime {
  std::uint16_t wYear = 0;
  std::uint16_t wMonth = 0;
  std::uint16_t wDayOfWeek = 0;  // 0 = Sunday
  std::uint16_t wDay = 0;
  std::uint16_t wHour = 0;
  std::uint16_t wMinute = 0;
  std::uint16_t wSecond = 0;
  std::uint16_t wMilliseconds = 0;
};

using OleDate = double;

// False (output untouched) for a file time with the top bit set.
bool FileTimeToSystemTime(std::uint64_t fileTime, SystemTime& systemTime);

// False (output untouched) for a field out of range or a date outside
// 1601-01-01 .. 30827-12-31. The day of week is ignored.
bool SystemTimeToFileTime(const SystemTime& systemTime, std::uint64_t& fileTime);

// False for a field out of range or a year outside 100..9999. Milliseconds are
// ignored; the day of week is ignored.
bool SystemTimeToVariantTime(const SystemTime& systemTime, OleDate& date);

// False for a value that is not finite or lies outside 0100-01-01 ..
// 9999-12-31 23:59:59. The time of day is rounded to the nearest second (half
// a second rounds up), so milliseconds are always 0; the day of week is filled.
bool VariantTimeToSystemTime(OleDate date, SystemTime& systemTime);

}  // namespace TAVQ
