// The calls a bridged process can make. A request body is the operation number and its
// arguments; a response body is the WinSCard result code and, on success only, the
// outputs. One connection carries one PC/SC context: connecting establishes nothing,
// EstablishContext does, and closing the connection releases the context and its cards.
#pragma once

#include <cstdint>

namespace WinePcscBridge {

enum class Operation : std::uint32_t {
  // scope -> (nothing)
  EstablishContext = 1,
  // (nothing) -> reader names, a UTF-8 multi-string ending in two NULs
  ListReaders = 2,
  // reader (UTF-8), share mode, preferred protocols -> card id, active protocol
  Connect = 3,
  // card, share mode, preferred protocols, initialization -> active protocol
  Reconnect = 4,
  // card, disposition -> (nothing)
  Disconnect = 5,
  // card -> (nothing)
  BeginTransaction = 6,
  // card, disposition -> (nothing)
  EndTransaction = 7,
  // card -> reader names (UTF-8 multi-string), state, protocol, ATR
  Status = 8,
  // card, send protocol, command, receive capacity -> receive protocol, response
  Transmit = 9,
  // card, control code, input, output capacity -> output
  Control = 10,
};

// Protocol numbers and codes on the wire are the Windows ones; the server converts.
constexpr std::uint32_t kWindowsProtocolT0 = 0x1;
constexpr std::uint32_t kWindowsProtocolT1 = 0x2;
constexpr std::uint32_t kWindowsProtocolRaw = 0x10000;

constexpr std::uint32_t kSuccess = 0;
constexpr std::uint32_t kInvalidHandle = 0x80100003;
constexpr std::uint32_t kInvalidParameter = 0x80100004;
constexpr std::uint32_t kNoMemory = 0x80100006;
constexpr std::uint32_t kInsufficientBuffer = 0x80100008;
constexpr std::uint32_t kCommunicationError = 0x80100013;
constexpr std::uint32_t kNoService = 0x8010001D;

// The address a DLL reaches the server at unless KAVRIN_PCSC_BRIDGE_PORT says otherwise.
constexpr std::uint16_t kDefaultPort = 35971;

}  // namespace WinePcscBridge
