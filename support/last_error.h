// The calling thread's last-error value (GetLastError on Windows, a thread-local elsewhere).
#pragma once

#include <cstdint>

namespace TAVQ {

std::uint32_t GetLastErrorValue();
void SetLastErrorValue(std::uint32_t value);

}  // namespace TAVQ
