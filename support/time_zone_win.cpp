// The snapshot from GetTimeZoneInformation.
#include <windows.h>

#include <utility>

#include "support/time_zone_snapshot.h"

namespace TAVQ {

namespace {

SystemTime FromPlatform(const SYSTEMTIME& st) {
  SystemTime result;
  result.wYear = st.wYear;
  result.wMonth = st.wMonth;
  result.wDayOfWeek = st.wDayOfWeek;
  result.wDay = st.wDay;
  result.wHour = st.wHour;
  result.wMinute = st.wMinute;
  result.wSecond = st.wSecond;
  result.wMilliseconds = st.wMilliseconds;
  return result;
}

}  // namespace

LocalTimeZone LoadTimeZoneSnapshot() {
  TIME_ZONE_INFORMATION platform{};
  const DWORD id = GetTimeZoneInformation(&platform);
  if (id == TIME_ZONE_ID_INVALID) return LocalTimeZone::Utc();
  TimeZoneInformation information;
  information.Bias = platform.Bias;
  information.StandardName.assign(reinterpret_cast<const char16_t*>(platform.StandardName));
  information.StandardDate = FromPlatform(platform.StandardDate);
  information.StandardBias = platform.StandardBias;
  information.DaylightName.assign(reinterpret_cast<const char16_t*>(platform.DaylightName));
  information.DaylightDate = FromPlatform(platform.DaylightDate);
  information.DaylightBias = platform.DaylightBias;
  return LocalTimeZone(static_cast<TimeZoneId>(id), std::move(information));
}

}  // namespace TAVQ
