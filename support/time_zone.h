// The local time zone: the platform's time-zone record (GetTimeZoneInformation's
// fields) and the conversions between universal and local time it defines.
#pragma once

#include <cstdint>
#include <string>

#include "support/datetime.h"
#include "support/system_time.h"
#include "support/timespan.h"
#include "support/types.h"

namespace TAVQ {

// GetTimeZoneInformation's result: Unknown means the zone has no daylight time.
enum class TimeZoneId : std::uint32_t { Unknown = 0, Standard = 1, Daylight = 2 };

// The fields of TIME_ZONE_INFORMATION. Biases are minutes, positive west of
// Greenwich: universal = local + Bias (+ DaylightBias in daylight time). The two
// dates are rules: month, weekday, occurrence 1..5 in wDay (5 = last) and the
// time of day; the year is not used.
struct TimeZoneInformation {
  std::int32_t Bias = 0;
  WString StandardName;
  SystemTime StandardDate;
  std::int32_t StandardBias = 0;
  WString DaylightName;
  SystemTime DaylightDate;
  std::int32_t DaylightBias = 0;
};

// Local times of the start and end of daylight time in one year, and the amount
// added in between.
struct DaylightPeriod {
  DateTime start;
  DateTime end;
  TimeSpan delta;
};

class LocalTimeZone {
 public:
  LocalTimeZone(TimeZoneId id, TimeZoneInformation information);

  // A zone from a POSIX TZ rule such as "CET-1CEST,M3.5.0,M10.5.0/3". Rules of
  // the Jn and n forms cannot be held as weekday rules: such a zone keeps its
  // standard offset all year. A malformed rule raises ArgumentException.
  static LocalTimeZone FromPosixRule(const std::string& rule);
  static LocalTimeZone Utc();

  // The process-wide snapshot, taken once on first use and never refreshed.
  static const LocalTimeZone& Current();

  TimeZoneId Id() const { return id_; }
  const TimeZoneInformation& Information() const { return information_; }
  const WString& StandardName() const { return information_.StandardName; }
  const WString& DaylightName() const { return information_.DaylightName; }

  // year 1..9999, else range("year", 0x500B with 1 and 9999). MinValue, MinValue
  // and zero for a zone without daylight time (identifier Unknown, DaylightBias 0,
  // or no month in DaylightDate).
  DaylightPeriod GetDaylightChanges(int year) const;
  // Zero for Utc values; otherwise the offset of the value read as local time.
  TimeSpan GetUtcOffset(DateTime value) const;
  // Local values stay; others are taken as universal. Clamped to MinValue..MaxValue;
  // kind LocalAmbiguousDst in the repeated hour, else Local.
  DateTime ToLocalTime(DateTime value) const;
  // Utc values stay; others are taken as local. Clamped; kind Utc.
  DateTime ToUniversalTime(DateTime value) const;

 private:
  TimeZoneId id_;
  TimeZoneInformation information_;
};

}  // namespace TAVQ
