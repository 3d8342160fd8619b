#include "support/datetime.h"

#include <cmath>

#include "support/datetime_calendar.h"
#include "support/exception.h"
#include "support/string_table.h"

namespace TAVQ {

const DateTime DateTime::MinValue{Unchecked{}, 0, DateTimeKind::Unspecified};
const DateTime DateTime::MaxValue{Unchecked{}, MaxTicks, DateTimeKind::Unspecified};

namespace {

void CheckKind(DateTimeKind kind) {
  if (static_cast<std::uint8_t>(kind) > static_cast<std::uint8_t>(DateTimeKind::Local)) {
    throw ArgumentOutOfRangeException(u"kind");
  }
}

void CheckYear(int year) {
  if (year < 1 || year > 9999) throw ArgumentOutOfRangeException(u"year");
}

std::int64_t DateToTicks(int year, int month, int day) {
  CheckYear(year);
  if (month < 1 || month > 12) throw ArgumentOutOfRangeException(u"month");
  if (day < 1 || day > calendar::DaysInMonth(year, month)) throw ArgumentOutOfRangeException(u"day");
  return calendar::DaysFromCivil(year, month, day) * TimeSpan::TicksPerDay;
}

std::int64_t TimeToTicks(int hour, int minute, int second) {
  if (hour < 0 || hour > 23) throw ArgumentOutOfRangeException(u"hour");
  if (minute < 0 || minute > 59) throw ArgumentOutOfRangeException(u"minute");
  if (second < 0 || second > 59) throw ArgumentOutOfRangeException(u"second");
  return (std::int64_t{hour} * 3600 + minute * 60 + second) * TimeSpan::TicksPerSecond;
}

void CheckCombination(std::int64_t ticks) {
  if (ticks > DateTime::MaxTicks) throw ArgumentException(LoadResourceString(IDS_DATETIME_ARGUMENTS_OUT_OF_RANGE));
}

}  // namespace

DateTime::DateTime(std::int64_t ticks, DateTimeKind kind) {
  if (ticks < 0 || ticks > MaxTicks) throw ArgumentOutOfRangeException(u"ticks");
  CheckKind(kind);
  *this = DateTime(Unchecked{}, ticks, kind);
}

DateTime::DateTime(int year, int month, int day, DateTimeKind kind) {
  const std::int64_t ticks = DateToTicks(year, month, day);
  CheckKind(kind);
  CheckCombination(ticks);
  *this = DateTime(Unchecked{}, ticks, kind);
}

DateTime::DateTime(int year, int month, int day, int hour, int minute, int second, int millisecond,
                   DateTimeKind kind) {
  // Two statements: the date is checked before the time, whatever the compiler's
  // order of evaluating the operands of one expression.
  std::int64_t ticks = DateToTicks(year, month, day);
  ticks += TimeToTicks(hour, minute, second);
  if (millisecond < 0 || millisecond > 999) throw ArgumentOutOfRangeException(u"millisecond");
  CheckKind(kind);
  ticks += std::int64_t{millisecond} * TimeSpan::TicksPerMillisecond;
  CheckCombination(ticks);
  *this = DateTime(Unchecked{}, ticks, kind);
}

int DateTime::Year() const { return calendar::CivilFromDays(Ticks() / TimeSpan::TicksPerDay).year; }
int DateTime::Month() const { return calendar::CivilFromDays(Ticks() / TimeSpan::TicksPerDay).month; }
int DateTime::Day() const { return calendar::CivilFromDays(Ticks() / TimeSpan::TicksPerDay).day; }
int DateTime::Hour() const { return static_cast<int>(Ticks() / TimeSpan::TicksPerHour % 24); }
int DateTime::Minute() const { return static_cast<int>(Ticks() / TimeSpan::TicksPerMinute % 60); }
int DateTime::Second() const { return static_cast<int>(Ticks() / TimeSpan::TicksPerSecond % 60); }
int DateTime::Millisecond() const { return static_cast<int>(Ticks() / TimeSpan::TicksPerMillisecond % 1000); }

int DateTime::DayOfYear() const {
  const std::int64_t days = Ticks() / TimeSpan::TicksPerDay;
  const calendar::CivilDate date = calendar::CivilFromDays(days);
  return static_cast<int>(days - calendar::DaysFromCivil(date.year, 1, 1)) + 1;
}

DayOfWeek DateTime::DayOfWeek() const {
  return static_cast<TAVQ::DayOfWeek>(calendar::WeekdayFromDays(Ticks() / TimeSpan::TicksPerDay));
}

DateTime DateTime::Date() const {
  return DateTime(Unchecked{}, Ticks() - Ticks() % TimeSpan::TicksPerDay, Kind());
}

bool DateTime::IsLeapYear(int year) {
  CheckYear(year);
  return calendar::IsLeap(year);
}

int DateTime::DaysInMonth(int year, int month) {
  if (month < 1 || month > 12) throw ArgumentOutOfRangeException(u"month", LoadResourceString(IDS_MONTH_OUT_OF_RANGE));
  CheckYear(year);
  return calendar::DaysInMonth(year, month);
}

DateTime DateTime::AddDays(double value) const {
  constexpr double kMillisPerDay = 86400000.0;
  constexpr double kMaxMillis = 315537897600000.0;  // 10000 years of days
  const double millis = std::round(value * kMillisPerDay);
  // Written so that NaN fails too.
  if (!(millis > -kMaxMillis && millis < kMaxMillis)) {
    throw ArgumentOutOfRangeException(u"value", LoadResourceString(IDS_VALUE_TO_ADD_OUT_OF_RANGE));
  }
  const std::int64_t ticks = Ticks() + static_cast<std::int64_t>(millis) * TimeSpan::TicksPerMillisecond;
  if (ticks < 0 || ticks > MaxTicks) {
    throw ArgumentOutOfRangeException(u"ticks", LoadResourceString(IDS_DATETIME_UNREPRESENTABLE));
  }
  return DateTime(Unchecked{}, ticks, Kind());
}

DateTime DateTime::AddTicks(std::int64_t value) const { return *this + TimeSpan(value); }

DateTime DateTime::operator+(TimeSpan span) const {
  const std::int64_t ticks = Ticks();
  // Each bound is computed without overflow: both sides stay within 0..MaxTicks.
  if (span.Ticks() > MaxTicks - ticks || span.Ticks() < -ticks) {
    throw ArgumentException(LoadResourceString(IDS_DATETIME_UNREPRESENTABLE));
  }
  return DateTime(Unchecked{}, ticks + span.Ticks(), Kind());
}

DateTime DateTime::operator-(TimeSpan span) const {
  const std::int64_t ticks = Ticks();
  if (span.Ticks() > ticks || span.Ticks() < ticks - MaxTicks) {
    throw ArgumentException(LoadResourceString(IDS_DATETIME_UNREPRESENTABLE));
  }
  return DateTime(Unchecked{}, ticks - span.Ticks(), Kind());
}

TimeSpan DateTime::operator-(DateTime other) const { return TimeSpan(Ticks() - other.Ticks()); }

}  // namespace TAVQ
