// A point in time: 62 bits of 100-nanosecond ticks since 0001-01-01 00:00
// (proleptic Gregorian calendar) and a 2-bit kind, in one 64-bit word.
#pragma once

#include <cstdint>

#include "support/system_time.h"
#include "support/timespan.h"
#include "support/types.h"

namespace TAVQ {

enum class DateTimeKind : std::uint8_t {
  Unspecified = 0,
  Utc = 1,
  Local = 2,
  // Local time in the repeated hour after daylight time ends, read as daylight
  // time. Only the universal-to-local conversion makes it; constructors refuse it.
  LocalAmbiguousDst = 3,
};

enum class DayOfWeek { Sunday = 0, Monday, Tuesday, Wednesday, Thursday, Friday, Saturday };

class LocalTimeZone;

class DateTime {
 public:
  static constexpr std::int64_t MaxTicks = 3155378975999999999;  // 9999-12-31 23:59:59.9999999
  // Ticks from 0001-01-01 to the file-time epoch 1601-01-01.
  static constexpr std::int64_t FileTimeOffset = 504911232000000000;

  static const DateTime MinValue;
  static const DateTime MaxValue;

  // MinValue, Unspecified.
  constexpr DateTime() = default;
  // ticks 0..MaxTicks, else range("ticks"); kind 0..2, else range("kind").
  explicit DateTime(std::int64_t ticks, DateTimeKind kind = DateTimeKind::Unspecified);
  // Midnight of that day. year 1..9999, month 1..12, day 1..days in month, kind 0..2,
  // each else range(name).
  DateTime(int year, int month, int day, DateTimeKind kind = DateTimeKind::Unspecified);
  // The date checks, then hour 0..23, minute 0..59, second 0..59, millisecond 0..999,
  // kind 0..2, each else range(name).
  DateTime(int year, int month, int day, int hour, int minute, int second, int millisecond,
           DateTimeKind kind = DateTimeKind::Unspecified);

  std::int64_t Ticks() const { return static_cast<std::int64_t>(data_ & kTicksMask); }
  DateTimeKind Kind() const { return static_cast<DateTimeKind>(data_ >> kKindShift); }
  bool IsLocal() const { return Kind() == DateTimeKind::Local || Kind() == DateTimeKind::LocalAmbiguousDst; }

  int Year() const;
  int Month() const;
  int Day() const;
  int Hour() const;
  int Minute() const;
  int Second() const;
  int Millisecond() const;
  // 1..366.
  int DayOfYear() const;
  TAVQ::DayOfWeek DayOfWeek() const;
  // Midnight of the same day, same kind.
  DateTime Date() const;

  // year 1..9999, else range("year").
  static bool IsLeapYear(int year);
  // month 1..12, else range("month") with string 0x5011; the year as for IsLeapYear.
  static int DaysInMonth(int year, int month);

  // value days rounded to the millisecond; same kind. |value| x 86400000 reaching
  // 315537897600000: range("value", 0x5012); a result outside MinValue..MaxValue:
  // range("ticks", 0x500D).
  DateTime AddDays(double value) const;
  DateTime AddTicks(std::int64_t value) const;
  // Same kind; a result outside MinValue..MaxValue raises ArgumentException 0x500D.
  DateTime operator+(TimeSpan span) const;
  DateTime operator-(TimeSpan span) const;
  // Difference of the ticks; the kinds play no part.
  TimeSpan operator-(DateTime other) const;

  // The wcsftime text of the value's calendar fields (C locale); the kind plays no
  // part. Empty for an empty format or a text longer than 255 characters.
  WString Format(const WString& format) const;

  // Universal time, through the process-wide time zone for a Local or ambiguous value.
  DateTime ToUniversalTime() const;
  // Local time through the process-wide time zone; Local values stay as they are.
  DateTime ToLocalTime() const;

  // A Local value is taken to universal time first. Before 1601-01-01 raises
  // ArgumentOutOfRangeException with an empty parameter name and string 0x500E.
  std::int64_t ToFileTime() const;
  std::int64_t ToFileTime(const LocalTimeZone& zone) const;
  // Kind Utc. A result beyond MaxValue (or a negative file time): range("ft", 0x500E).
  static DateTime FromFileTimeUtc(std::int64_t fileTime);
  // The SYSTEMTIME is universal time; the result is local time (kind Local or
  // LocalAmbiguousDst). A SYSTEMTIME that cannot be converted counts as file time 0.
  static DateTime FromSystemTime(const SystemTime& systemTime);
  static DateTime FromSystemTime(const SystemTime& systemTime, const LocalTimeZone& zone);

  // Comparisons are of the ticks; the kinds play no part.
  friend bool operator==(DateTime a, DateTime b) { return a.Ticks() == b.Ticks(); }
  friend bool operator!=(DateTime a, DateTime b) { return a.Ticks() != b.Ticks(); }
  friend bool operator<(DateTime a, DateTime b) { return a.Ticks() < b.Ticks(); }
  friend bool operator>(DateTime a, DateTime b) { return a.Ticks() > b.Ticks(); }
  friend bool operator<=(DateTime a, DateTime b) { return a.Ticks() <= b.Ticks(); }
  friend bool operator>=(DateTime a, DateTime b) { return a.Ticks() >= b.Ticks(); }

 private:
  static constexpr std::uint64_t kTicksMask = 0x3FFFFFFFFFFFFFFF;
  static constexpr int kKindShift = 62;

  struct Unchecked {};
  constexpr DateTime(Unchecked, std::int64_t ticks, DateTimeKind kind)
      : data_(static_cast<std::uint64_t>(ticks) | (std::uint64_t{static_cast<std::uint8_t>(kind)} << kKindShift)) {}
  friend class LocalTimeZone;

  std::uint64_t data_ = 0;
};

}  // namespace TAVQ
