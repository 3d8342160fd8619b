// The rules of one transmission protocol (T=0 or T=1) for carrying a command APDU.
#pragma once

#include <cstdint>

#include "transport/command_apdu.h"
#include "transport/response_apdu.h"

namespace SmartCardIO {

class CardChannel;

class TransportProtocol {
 public:
  virtual ~TransportProtocol();

  // The process-wide instance for T=0 (1) or T=1 (2); any other protocol raises
  // PCSCWin32Exception "TransportProtocol::GetInstance" with SCARD_E_PROTO_MISMATCH.
  static const TransportProtocol& GetInstance(std::uint32_t protocol);

  // One command, without the 61xx/6Cxx follow-ups of CardChannel::Transmit.
  virtual ResponseAPDU Transmit(CardChannel& channel, const CommandAPDU& command) const = 0;
};

}  // namespace SmartCardIO
