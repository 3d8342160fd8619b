// GetVersionExW and GetNativeSystemInfo, queried once.
#include <windows.h>

#include <mutex>
#include <optional>

#include "support/exception.h"
#include "support/os_info.h"

namespace TAVQ {

namespace {

std::mutex cacheMutex;
std::optional<OperatingSystemInfo> cache;

OperatingSystemInfo Query() {
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) throw Win32Exception("GetVersionEx");
#pragma GCC diagnostic pop
  OperatingSystemInfo info;
  info.platform = version.dwPlatformId <= 2 ? version.dwPlatformId : 0;
  info.majorVersion = version.dwMajorVersion;
  info.minorVersion = version.dwMinorVersion;
  info.buildNumber = version.dwBuildNumber;
  info.servicePack = (static_cast<std::uint32_t>(version.wServicePackMajor) << 16) | version.wServicePackMinor;
  info.isServer = version.wProductType != VER_NT_WORKSTATION;
  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  info.is64Bit = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                 system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
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
