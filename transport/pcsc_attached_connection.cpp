#include "transport/pcsc_card_connection.h"

#include <array>

#include "support/exception.h"

namespace TAVQ {
namespace PCSC {

namespace {

// One status call on the borrowed handle, with the buffers PCSCComm::Status uses.
std::uint32_t ProtocolOf(CardHandle card) {
  std::array<char16_t, 1024> names{};
  std::uint32_t namesLength = static_cast<std::uint32_t>(names.size());
  std::array<std::uint8_t, 32> atr{};
  std::uint32_t atrLength = static_cast<std::uint32_t>(atr.size());
  std::uint32_t state = 0;
  std::uint32_t protocol = 0;
  CheckResult("SCardStatus",
              Api().Status(card, names.data(), &namesLength, &state, &protocol, atr.data(), &atrLength));
  return protocol;
}

}  // namespace

PCSCAttachedConnection::PCSCAttachedConnection(CardHandle card, std::uint32_t shareMode,
                                               std::uint32_t preferredProtocols)
    : comm_(PCSCComm::Attach(card, ProtocolOf(card))),
      shareMode_(shareMode),
      preferredProtocols_(preferredProtocols) {}

PCSCAttachedConnection::~PCSCAttachedConnection() = default;

// The handle belongs to whoever opened it.
void PCSCAttachedConnection::Connect() {}

void PCSCAttachedConnection::Disconnect(std::uint8_t) {}

void PCSCAttachedConnection::BeginTransaction() {
  BeginTransactionWithResetRecovery(comm_, shareMode_, preferredProtocols_);
}

void PCSCAttachedConnection::EndTransaction() { comm_.EndTransaction(kLeaveCard); }

ByteArray PCSCAttachedConnection::Transmit(const ByteArray& command, bool extended) {
  return comm_.Transmit(command, extended);
}

ByteArray PCSCAttachedConnection::Control(std::uint32_t controlCode, const ByteArray& input) {
  return comm_.Control(controlCode, input);
}

std::uint32_t PCSCAttachedConnection::GetProtocol() const { return comm_.activeProtocol(); }

}  // namespace PCSC
}  // namespace TAVQ
