#include "transport/transport_protocol.h"

#include "support/exception.h"
#include "transport/pcsc_constants.h"
#include "transport/t0_protocol.h"
#include "transport/t1_protocol.h"

namespace SmartCardIO {

TransportProtocol::~TransportProtocol() = default;

const TransportProtocol& TransportProtocol::GetInstance(std::uint32_t protocol) {
  // Function-local statics: created once, thread-safe, kept until process exit.
  if (protocol == TAVQ::PCSC::kProtocolT0) {
    static const T0Protocol t0;
    return t0;
  }
  if (protocol == TAVQ::PCSC::kProtocolT1) {
    static const T1Protocol t1;
    return t1;
  }
  throw TAVQ::PCSC::PCSCWin32Exception("TransportProtocol::GetInstance", TAVQ::PCSC::kProtoMismatch);
}

}  // namespace SmartCardIO
