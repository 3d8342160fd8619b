#include "transport/card_channel.h"

#include <utility>

#include "transport/transport_protocol.h"

namespace SmartCardIO {

namespace {

constexpr std::uint8_t kMoreDataAvailable = 0x61;
constexpr std::uint8_t kWrongLength = 0x6C;

}  // namespace

CardChannel::CardChannel(TAVQ::WString name) : readerName(std::move(name)) {}

CardChannel::~CardChannel() = default;

ResponseAPDU CardChannel::Transmit(const CommandAPDU& command) {
  // Chosen for every command: a reconnect may have changed the protocol.
  const TransportProtocol& protocol = TransportProtocol::GetInstance(GetProtocol());
  ResponseAPDU response = protocol.Transmit(*this, command);
  // Each follow-up is made once; its own 61xx or 6Cxx goes back to the caller.
  if (response.sw1() == kMoreDataAvailable) {
    const CommandAPDU getResponse(0x00, 0xC0, 0x00, 0x00, response.sw2(), command.extended());
    return protocol.Transmit(*this, getResponse);
  }
  if (response.sw1() == kWrongLength) return protocol.Transmit(*this, CommandAPDU(command, response.sw2()));
  return response;
}

PCSCCardChannel::PCSCCardChannel(TAVQ::WString name, std::unique_ptr<CardConnection> connection)
    : CardChannel(std::move(name)), connection_(std::move(connection)) {}

PCSCCardChannel::~PCSCCardChannel() = default;

TAVQ::ByteArray PCSCCardChannel::Control(std::uint32_t controlCode, const TAVQ::ByteArray& input) {
  return connection_->Control(controlCode, input);
}

void PCSCCardChannel::Connect() { connection_->Connect(); }

void PCSCCardChannel::Disconnect(std::uint8_t disposition) { connection_->Disconnect(disposition); }

void PCSCCardChannel::BeginTransaction() { connection_->BeginTransaction(); }

void PCSCCardChannel::EndTransaction() { connection_->EndTransaction(); }

TAVQ::ByteArray PCSCCardChannel::TransmitRaw(const TAVQ::ByteArray& command, bool extended) {
  return connection_->Transmit(command, extended);
}

std::uint32_t PCSCCardChannel::GetProtocol() const { return connection_->GetProtocol(); }

}  // namespace SmartCardIO
