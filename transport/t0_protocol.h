// T=0: rewrites the ISO command cases into T=0 transfers, collecting answers with
// GET RESPONSE where the card asks for it. Every transfer uses the short buffer.
#pragma once

#include "transport/transport_protocol.h"

namespace SmartCardIO {

class T0Protocol : public TransportProtocol {
 public:
  ResponseAPDU Transmit(CardChannel& channel, const CommandAPDU& command) const override;

 private:
  ResponseAPDU TransmitCase2Short(CardChannel& channel, const CommandAPDU& command) const;
  ResponseAPDU TransmitCase2Extended(CardChannel& channel, const CommandAPDU& command) const;
  ResponseAPDU TransmitCase4Short(CardChannel& channel, const CommandAPDU& command) const;
  ResponseAPDU ResendWithLength(CardChannel& channel, const CommandAPDU& command, std::uint8_t le) const;
};

}  // namespace SmartCardIO
