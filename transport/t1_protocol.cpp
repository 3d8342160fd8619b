#include "transport/t1_protocol.h"

#include "transport/card_channel.h"

namespace SmartCardIO {

ResponseAPDU T1Protocol::Transmit(CardChannel& channel, const CommandAPDU& command) const {
  return ResponseAPDU(channel.TransmitRaw(command.Encode(), command.extended()));
}

}  // namespace SmartCardIO
