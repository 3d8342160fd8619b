// What the card logic holds to talk to a card: transmits command APDUs through the
// transport protocol the connection negotiated and answers 61xx and 6Cxx.
#pragma once

#include <cstdint>
#include <memory>

#include "support/types.h"
#include "transport/card_connection.h"
#include "transport/command_apdu.h"
#include "transport/response_apdu.h"

namespace SmartCardIO {

class CardChannel {
 public:
  CardChannel() = default;
  explicit CardChannel(TAVQ::WString readerName);
  CardChannel(const CardChannel&) = delete;
  CardChannel& operator=(const CardChannel&) = delete;
  virtual ~CardChannel();

  // Sends the command through the protocol of the connection; a 61xx answer gets one
  // GET RESPONSE, a 6Cxx answer one re-send with the length the card asked for.
  virtual ResponseAPDU Transmit(const CommandAPDU& command);
  virtual TAVQ::ByteArray Control(std::uint32_t controlCode, const TAVQ::ByteArray& input) = 0;
  virtual void Connect() = 0;
  virtual void Disconnect(std::uint8_t disposition) = 0;
  virtual void BeginTransaction() = 0;
  virtual void EndTransaction() = 0;
  virtual TAVQ::ByteArray TransmitRaw(const TAVQ::ByteArray& command, bool extended) = 0;
  virtual std::uint32_t GetProtocol() const = 0;

  // Empty for a channel over a borrowed handle.
  TAVQ::WString readerName;
  // Set by whoever opens a transaction on the channel, cleared when it ends it.
  bool transactionHeld = false;
};

// The channel over an owned CardConnection.
class PCSCCardChannel : public CardChannel {
 public:
  PCSCCardChannel(TAVQ::WString readerName, std::unique_ptr<CardConnection> connection);
  ~PCSCCardChannel() override;

  TAVQ::ByteArray Control(std::uint32_t controlCode, const TAVQ::ByteArray& input) override;
  void Connect() override;
  void Disconnect(std::uint8_t disposition) override;
  void BeginTransaction() override;
  void EndTransaction() override;
  TAVQ::ByteArray TransmitRaw(const TAVQ::ByteArray& command, bool extended) override;
  std::uint32_t GetProtocol() const override;

  CardConnection& connection() { return *connection_; }

 private:
  std::unique_ptr<CardConnection> connection_;
};

}  // namespace SmartCardIO
