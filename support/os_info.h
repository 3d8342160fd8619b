// A cached description of the running operating system.
#pragma once

#include <cstdint>

namespace TAVQ {

struct OperatingSystemInfo {
  std::uint32_t platform = 0;  // 0, 1 or 2; any other identifier is recorded as 0
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint32_t servicePack = 0;  // major in the high 16 bits, minor in the low 16
  bool isServer = false;
  bool is64Bit = false;
};

// The first successful call fills the cache; later calls return a copy of it.
// Throws Win32Exception when the system cannot be queried.
OperatingSystemInfo GetOperatingSystemInfo();

}  // namespace TAVQ
