// Without GetVersionExW: the kernel's release numbers from uname.
#include <sys/utsname.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>

#include "support/exception.h"
#include "support/last_error.h"
#include "support/os_info.h"

namespace TAVQ {

namespace {

std::mutex cacheMutex;
std::optional<OperatingSystemInfo> cache;

OperatingSystemInfo Query() {
  utsname name{};
  if (uname(&name) != 0) {
    SetLastErrorValue(static_cast<std::uint32_t>(errno));
    throw Win32Exception("GetVersionEx");
  }
  OperatingSystemInfo info;
  char* next = name.release;
  info.majorVersion = static_cast<std::uint32_t>(std::strtoul(next, &next, 10));
  if (*next == '.') info.minorVersion = static_cast<std::uint32_t>(std::strtoul(next + 1, &next, 10));
  if (*next == '.') info.buildNumber = static_cast<std::uint32_t>(std::strtoul(next + 1, &next, 10));
  info.is64Bit = std::strcmp(name.machine, "x86_64") == 0;
  return info;
}

}  // namespace

OperatingSystemInfo GetOperatingSystemInfo() {
  {
    std::lock_guard<std::mutex> lock(cacheMutex);
    if (cache) return *cache;
  }
  const OperatingSystemInfo info = Query();
  std::lock_guard<std::mutex> lock(cacheMutex);
  cache = info;
  return info;
}

}  // namespace TAVQ
