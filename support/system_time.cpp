#include "support/system_time.h"

#include <cmath>

#include "support/datetime_calendar.h"

namespace TAVQ {

namespace {

constexpr std::int64_t kTicksPerMillisecond = 10000;
constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kTicksPerDay = 864000000000;
constexpr std::int64_t kSecondsPerDay = 86400;
// Days from 0001-01-01 to the file-time epoch 1601-01-01 and to the DATE epoch 1899-12-30.
constexpr std::int64_t kFileTimeEpochDays = 584388;
constexpr std::int64_t kOleEpochDays = 693593;

bool ValidFields(const SystemTime& st) {
  return st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 && st.wYear >= 1 &&
         st.wDay <= calendar::DaysInMonth(st.wYear, st.wMonth) && st.wHour < 24 && st.wMinute < 60 &&
         st.wSecond < 60 && st.wMilliseconds < 1000;
}

std::int64_t SecondsOfDay(const SystemTime& st) {
  return std::int64_t{st.wHour} * 3600 + st.wMinute * 60 + st.wSecond;
}

void FillDate(std::int64_t days, SystemTime& st) {
  const calendar::CivilDate date = calendar::CivilFromDays(days);
  st.wYear = static_cast<std::uint16_t>(date.year);
  st.wMonth = static_cast<std::uint16_t>(date.month);
  st.wDay = static_cast<std::uint16_t>(date.day);
  st.wDayOfWeek = static_cast<std::uint16_t>(calendar::WeekdayFromDays(days));
}

void FillTime(std::int64_t ticksOfDay, SystemTime& st) {
  st.wHour = static_cast<std::uint16_t>(ticksOfDay / (3600 * kTicksPerSecond));
  st.wMinute = static_cast<std::uint16_t>(ticksOfDay / (60 * kTicksPerSecond) % 60);
  st.wSecond = static_cast<std::uint16_t>(ticksOfDay / kTicksPerSecond % 60);
  st.wMilliseconds = static_cast<std::uint16_t>(ticksOfDay / kTicksPerMillisecond % 1000);
}

}  // namespace

bool FileTimeToSystemTime(std::uint64_t fileTime, SystemTime& systemTime) {
  if (fileTime >> 63) return false;
  const auto ticks = static_cast<std::int64_t>(fileTime);
  SystemTime result;
  FillDate(kFileTimeEpochDays + ticks / kTicksPerDay, result);
  FillTime(ticks % kTicksPerDay, result);
  systemTime = result;
  return true;
}

bool SystemTimeToFileTime(const SystemTime& systemTime, std::uint64_t& fileTime) {
  if (systemTime.wYear < 1601 || systemTime.wYear > 30827 || !ValidFields(systemTime)) return false;
  const std::int64_t days =
      calendar::DaysFromCivil(systemTime.wYear, systemTime.wMonth, systemTime.wDay) - kFileTimeEpochDays;
  fileTime = static_cast<std::uint64_t>(days * kTicksPerDay + SecondsOfDay(systemTime) * kTicksPerSecond +
                                        systemTime.wMilliseconds * kTicksPerMillisecond);
  return true;
}

bool SystemTimeToVariantTime(const SystemTime& systemTime, OleDate& date) {
  if (systemTime.wYear < 100 || systemTime.wYear > 9999 || !ValidFields(systemTime)) return false;
  const std::int64_t days =
      calendar::DaysFromCivil(systemTime.wYear, systemTime.wMonth, systemTime.wDay) - kOleEpochDays;
  const double fraction = static_cast<double>(SecondsOfDay(systemTime)) / kSecondsPerDay;
  // Before the epoch the whole days count backwards and the time of day forwards.
  date = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
  return true;
}

bool VariantTimeToSystemTime(OleDate date, SystemTime& systemTime) {
  constexpr double kFirst = -657434.0;        // 0100-01-01
  constexpr double kPastLast = 2958466.0;     // 10000-01-01
  if (!(date > kFirst - 1.0 && date < kPastLast)) return false;
  const double whole = std::trunc(date);
  auto days = static_cast<std::int64_t>(whole);
  std::int64_t seconds = std::llround(std::fabs(date - whole) * kSecondsPerDay);
  // Rounding may reach the next calendar day: always forwards, whatever the sign.
  if (seconds == kSecondsPerDay) {
    seconds = 0;
    days += 1;
  }
  const std::int64_t absolute = days + kOleEpochDays;
  if (absolute < kOleEpochDays - 657434 || absolute >= kOleEpochDays + 2958466) return false;
  SystemTime result;
  FillDate(absolute, result);
  FillTime(seconds * kTicksPerSecond, result);
  systemTime = result;
  return true;
}

}  // namespace TAVQ
