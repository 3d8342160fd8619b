#include "support/time_zone.h"

#include <chrono>
#include <utility>

#include "support/exception.h"
#include "support/string_table.h"
#include "support/time_zone_snapshot.h"

namespace TAVQ {

namespace {

// The local time at which a weekday rule (month, weekday, occurrence 1..5 with 5 the
// last, time of day) takes effect in the given year.
DateTime TransitionDate(const SystemTime& rule, int year) {
  const int month = rule.wMonth;
  if (rule.wDay <= 4) {
    const DateTime first(year, month, 1, rule.wHour, rule.wMinute, rule.wSecond, rule.wMilliseconds,
                         DateTimeKind::Local);
    int delta = rule.wDayOfWeek - static_cast<int>(first.DayOfWeek());
    if (delta < 0) delta += 7;
    delta += 7 * (rule.wDay - 1);
    return first.AddDays(delta);
  }
  const DateTime last(year, month, DateTime::DaysInMonth(year, month), rule.wHour, rule.wMinute, rule.wSecond,
                      rule.wMilliseconds, DateTimeKind::Local);
  int delta = static_cast<int>(last.DayOfWeek()) - rule.wDayOfWeek;
  if (delta < 0) delta += 7;
  return last.AddDays(-delta);
}

// Membership in [rangeStart, rangeEnd), wrapping round the year when the range
// starts after it ends (southern hemisphere).
bool InRange(std::int64_t value, std::int64_t rangeStart, std::int64_t rangeEnd) {
  if (rangeStart > rangeEnd) return value >= rangeStart || value < rangeEnd;
  return rangeStart <= value && value < rangeEnd;
}

struct Ranges {
  std::int64_t start, end, ambiguousStart, ambiguousEnd;
};

// The daylight range [start, end) and the range of times that occur twice.
Ranges DaylightRanges(std::int64_t start, std::int64_t end, std::int64_t delta) {
  if (delta > 0) return Ranges{start, end, end - delta, end};
  return Ranges{start, end, start, start - delta};
}

std::int64_t Clamped(std::int64_t ticks) {
  if (ticks < 0) return 0;
  return ticks > DateTime::MaxTicks ? DateTime::MaxTicks : ticks;
}

}  // namespace

LocalTimeZone::LocalTimeZone(TimeZoneId id, TimeZoneInformation information)
    : id_(id), information_(std::move(information)) {}

LocalTimeZone LocalTimeZone::Utc() {
  TimeZoneInformation information;
  information.StandardName = u"UTC";
  information.DaylightName = u"UTC";
  return LocalTimeZone(TimeZoneId::Unknown, std::move(information));
}

const LocalTimeZone& LocalTimeZone::Current() {
  // Thread-safe one-time initialisation; never refreshed afterwards.
  static const LocalTimeZone snapshot = [] {
    LocalTimeZone zone = LoadTimeZoneSnapshot();
    if (zone.id_ == TimeZoneId::Unknown) return zone;
    // As the platform reports it: whether daylight time is in effect now.
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const std::int64_t unixEpoch = 621355968000000000;
    const DateTime utc(unixEpoch + std::chrono::duration_cast<std::chrono::microseconds>(now).count() * 10,
                       DateTimeKind::Utc);
    const bool daylight = zone.ToLocalTime(utc) - utc != TimeSpan::FromMinutes(-zone.information_.Bias);
    zone.id_ = daylight ? TimeZoneId::Daylight : TimeZoneId::Standard;
    return zone;
  }();
  return snapshot;
}

DaylightPeriod LocalTimeZone::GetDaylightChanges(int year) const {
  if (year < 1 || year > 9999) {
    throw ArgumentOutOfRangeException(u"year", LoadResourceFormat(IDS_VALID_VALUES_BETWEEN, 1, 9999));
  }
  // A zero month in the daylight rule is the platform's way of saying "no daylight time".
  if (id_ == TimeZoneId::Unknown || information_.DaylightBias == 0 || information_.DaylightDate.wMonth == 0) {
    return DaylightPeriod{DateTime::MinValue, DateTime::MinValue, TimeSpan()};
  }
  return DaylightPeriod{TransitionDate(information_.DaylightDate, year),
                        TransitionDate(information_.StandardDate, year),
                        TimeSpan::FromMinutes(-information_.DaylightBias)};
}

TimeSpan LocalTimeZone::GetUtcOffset(DateTime value) const {
  if (value.Kind() == DateTimeKind::Utc) return TimeSpan();
  const TimeSpan base = TimeSpan::FromMinutes(-information_.Bias);
  const DaylightPeriod period = GetDaylightChanges(value.Year());
  const std::int64_t delta = period.delta.Ticks();
  if (delta == 0) return base;
  const std::int64_t start = period.start.Ticks();
  const std::int64_t end = period.end.Ticks();
  // In local time the moved hour lies inside daylight time at its start (delta > 0)
  // or at its end (delta < 0).
  const Ranges ranges = delta > 0 ? DaylightRanges(start + delta, end, delta) : DaylightRanges(start, end - delta, delta);
  const std::int64_t ticks = value.Ticks();
  bool daylight = InRange(ticks, ranges.start, ranges.end);
  // A repeated local time is daylight time only when marked so.
  if (daylight && ranges.ambiguousStart <= ticks && ticks < ranges.ambiguousEnd) {
    daylight = value.Kind() == DateTimeKind::LocalAmbiguousDst;
  }
  return daylight ? base + period.delta : base;
}

DateTime LocalTimeZone::ToLocalTime(DateTime value) const {
  if (value.IsLocal()) return value;
  const TimeSpan base = TimeSpan::FromMinutes(-information_.Bias);
  TimeSpan offset = base;
  bool ambiguous = false;
  const DaylightPeriod period = GetDaylightChanges(value.Year());
  const std::int64_t delta = period.delta.Ticks();
  if (delta != 0) {
    const std::int64_t start = period.start.Ticks() - base.Ticks();
    const std::int64_t end = period.end.Ticks() - base.Ticks() - delta;
    const Ranges ranges = DaylightRanges(start, end, delta);
    const std::int64_t ticks = value.Ticks();
    if (InRange(ticks, ranges.start, ranges.end)) {
      offset = base + period.delta;
      ambiguous = ranges.ambiguousStart <= ticks && ticks < ranges.ambiguousEnd;
    }
  }
  return DateTime(DateTime::Unchecked{}, Clamped(value.Ticks() + offset.Ticks()),
                  ambiguous ? DateTimeKind::LocalAmbiguousDst : DateTimeKind::Local);
}

DateTime LocalTimeZone::ToUniversalTime(DateTime value) const {
  if (value.Kind() == DateTimeKind::Utc) return value;
  return DateTime(DateTime::Unchecked{}, Clamped(value.Ticks() - GetUtcOffset(value).Ticks()), DateTimeKind::Utc);
}

}  // namespace TAVQ
