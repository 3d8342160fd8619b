// T=1: every command travels as encoded.
#pragma once

#include "transport/transport_protocol.h"

namespace SmartCardIO {

class T1Protocol : public TransportProtocol {
 public:
  ResponseAPDU Transmit(CardChannel& channel, const CommandAPDU& command) const override;
};

}  // namespace SmartCardIO
