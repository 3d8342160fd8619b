// The byte-level link to one card that the APDU layer talks to.
#pragma once

#include <cstdint>

#include "support/types.h"

namespace SmartCardIO {

class CardConnection {
 public:
  virtual ~CardConnection();

  virtual void Connect() = 0;
  // disposition: leave (0), reset (1), unpower (2) or eject (3) the card.
  virtual void Disconnect(std::uint8_t disposition) = 0;
  // Starts a transaction, reconnecting once when the card was reset meanwhile.
  virtual void BeginTransaction() = 0;
  virtual void EndTransaction() = 0;
  // The raw answer (data, SW1, SW2) exactly as the reader delivered it; an extended
  // command gets an 8192-byte receive buffer, any other 512 bytes.
  virtual TAVQ::ByteArray Transmit(const TAVQ::ByteArray& command, bool extended) = 0;
  virtual TAVQ::ByteArray Control(std::uint32_t controlCode, const TAVQ::ByteArray& input) = 0;
  // The protocol negotiated by the last connect or reconnect.
  virtual std::uint32_t GetProtocol() const = 0;
};

}  // namespace SmartCardIO
