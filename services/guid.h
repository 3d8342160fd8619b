// A 128-bit COM identifier with the memory layout of the platform's GUID, so that the
// COM binding can hand its own class and interface ids to the plain services.
#pragma once

#include <cstdint>

namespace TAVQ {

struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

inline bool operator==(const Guid& a, const Guid& b) {
  if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.data4[i] != b.data4[i]) return false;
  }
  return true;
}

inline bool operator!=(const Guid& a, const Guid& b) { return !(a == b); }

}  // namespace TAVQ
