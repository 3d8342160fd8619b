// Where Windows and pcsc-lite give the same PC/SC notion different numbers. Share
// modes, dispositions, scopes and result codes agree and pass unchanged.
#pragma once

#include <cstdint>

#include "common/operations.h"

namespace WinePcscBridge {

// pcsc-lite's protocol bits: T=0 and T=1 agree, RAW does not.
constexpr std::uint32_t kPcscLiteProtocolT0 = 0x1;
constexpr std::uint32_t kPcscLiteProtocolT1 = 0x2;
constexpr std::uint32_t kPcscLiteProtocolRaw = 0x4;

constexpr std::uint32_t ProtocolsToPcscLite(std::uint32_t windows) {
  return (windows & (kWindowsProtocolT0 | kWindowsProtocolT1)) |
         ((windows & kWindowsProtocolRaw) != 0 ? kPcscLiteProtocolRaw : 0);
}

constexpr std::uint32_t ProtocolsFromPcscLite(std::uint32_t pcscLite) {
  return (pcscLite & (kPcscLiteProtocolT0 | kPcscLiteProtocolT1)) |
         ((pcscLite & kPcscLiteProtocolRaw) != 0 ? kWindowsProtocolRaw : 0);
}

// pcsc-lite reports a card's state as bits (ABSENT 0x2 ... SPECIFIC 0x40), Windows as
// one ordinal (ABSENT 1 ... SPECIFIC 6); the most advanced bit set is the state.
constexpr std::uint32_t CardStateFromPcscLite(std::uint32_t bits) {
  std::uint32_t state = 0;  // SCARD_UNKNOWN
  for (std::uint32_t ordinal = 1; ordinal <= 6; ++ordinal) {
    if ((bits & (1u << ordinal)) != 0) state = ordinal;
  }
  return state;
}

// Windows: CTL_CODE(FILE_DEVICE_SMARTCARD, function, METHOD_BUFFERED, FILE_ANY_ACCESS)
// = 0x00310000 | function << 2 (12 bits); pcsc-lite: 0x42000000 + function. Codes outside the
// Windows smart card range are passed as they are.
constexpr std::uint32_t ControlCodeToPcscLite(std::uint32_t windows) {
  return (windows & 0xFFFFC003u) == 0x00310000u ? 0x42000000u + ((windows >> 2) & 0xFFFu) : windows;
}

}  // namespace WinePcscBridge
