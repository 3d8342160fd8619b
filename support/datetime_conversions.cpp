// DateTime's conversions that involve the time zone or the platform's forms.
#include "support/datetime.h"

#include "support/exception.h"
#include "support/string_table.h"
#include "support/time_zone.h"

namespace TAVQ {

DateTime DateTime::ToUniversalTime() const { return LocalTimeZone::Current().ToUniversalTime(*this); }

DateTime DateTime::ToLocalTime() const { return LocalTimeZone::Current().ToLocalTime(*this); }

std::int64_t DateTime::ToFileTime() const { return ToFileTime(LocalTimeZone::Current()); }

std::int64_t DateTime::ToFileTime(const LocalTimeZone& zone) const {
  const std::int64_t universal = IsLocal() ? zone.ToUniversalTime(*this).Ticks() : Ticks();
  const std::int64_t fileTime = universal - FileTimeOffset;
  if (fileTime < 0) throw ArgumentOutOfRangeException(u"", LoadResourceString(IDS_INVALID_FILETIME));
  return fileTime;
}

DateTime DateTime::FromFileTimeUtc(std::int64_t fileTime) {
  if (fileTime < 0 || fileTime > MaxTicks - FileTimeOffset) {
    throw ArgumentOutOfRangeException(u"ft", LoadResourceString(IDS_INVALID_FILETIME));
  }
  return DateTime(Unchecked{}, fileTime + FileTimeOffset, DateTimeKind::Utc);
}

DateTime DateTime::FromSystemTime(const SystemTime& systemTime) {
  return FromSystemTime(systemTime, LocalTimeZone::Current());
}

DateTime DateTime::FromSystemTime(const SystemTime& systemTime, const LocalTimeZone& zone) {
  std::uint64_t fileTime = 0;
  if (!SystemTimeToFileTime(systemTime, fileTime)) fileTime = 0;
  return zone.ToLocalTime(FromFileTimeUtc(static_cast<std::int64_t>(fileTime)));
}

}  // namespace TAVQ
