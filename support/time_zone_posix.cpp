// The snapshot from $TZ (a rule, or a zone file name), else the footer of
// /etc/localtime, else UTC.
#include <cstdlib>
#include <string>

#include "support/exception.h"
#include "support/time_zone_snapshot.h"
#include "support/time_zone_tzif.h"

namespace TAVQ {

namespace {

LocalTimeZone FromZoneFile(const std::string& path) {
  const std::optional<std::string> footer = ReadTzifFooter(path);
  return footer ? LocalTimeZone::FromPosixRule(*footer) : LocalTimeZone::Utc();
}

LocalTimeZone FromTzVariable(std::string value) {
  if (value.empty()) return LocalTimeZone::Utc();
  if (value[0] == ':') {
    value.erase(0, 1);
  } else {
    try {
      return LocalTimeZone::FromPosixRule(value);
    } catch (const ArgumentException&) {
      // Not a rule: a zone file name, as the C library reads it.
    }
  }
  return FromZoneFile(value[0] == '/' ? value : "/usr/share/zoneinfo/" + value);
}

}  // namespace

LocalTimeZone LoadTimeZoneSnapshot() {
  try {
    if (const char* tz = std::getenv("TZ")) return FromTzVariable(tz);
    return FromZoneFile("/etc/localtime");
  } catch (const Exception&) {
    return LocalTimeZone::Utc();
  }
}

}  // namespace TAVQ
