// Where the process-wide time-zone snapshot comes from on each platform.
#pragma once

#include "support/time_zone.h"

namespace TAVQ {

// The platform's current zone, read now. Never throws: a zone that cannot be read is UTC.
LocalTimeZone LoadTimeZoneSnapshot();

}  // namespace TAVQ
