#include "server/module_init.h"

#include "support/time_zone.h"

namespace Server {

bool InitializeModuleState() noexcept {
  try {
    // The time-zone snapshot is taken at load, before any object converts a date.
    TAVQ::LocalTimeZone::Current();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace Server
