#include "transport/pcsc_card_connection.h"

#include <utility>

#include "support/exception.h"

namespace TAVQ {
namespace PCSC {

PCSCCardConnection::PCSCCardConnection(WString readerName) : readerName_(std::move(readerName)) {
  context_.Establish(kScopeUser);
}

// Members go in reverse order: comm_ leaves the card, then context_ is released.
PCSCCardConnection::PCSCCardConnection(WString readerName, PCSCContext borrowedContext)
    : context_(std::move(borrowedContext)), readerName_(std::move(readerName)) {}

PCSCCardConnection::~PCSCCardConnection() { readerName_.clear(); }

void PCSCCardConnection::Connect() { comm_.Connect(context_.handle(), readerName_, shareMode_, preferredProtocols_); }

void PCSCCardConnection::Disconnect(std::uint8_t disposition) { comm_.Disconnect(disposition); }

void PCSCCardConnection::BeginTransaction() {
  BeginTransactionWithResetRecovery(comm_, shareMode_, preferredProtocols_);
}

void PCSCCardConnection::EndTransaction() { comm_.EndTransaction(kLeaveCard); }

ByteArray PCSCCardConnection::Transmit(const ByteArray& command, bool extended) {
  return comm_.Transmit(command, extended);
}

ByteArray PCSCCardConnection::Control(std::uint32_t controlCode, const ByteArray& input) {
  return comm_.Control(controlCode, input);
}

std::uint32_t PCSCCardConnection::GetProtocol() const { return comm_.activeProtocol(); }

void BeginTransactionWithResetRecovery(PCSCComm& comm, std::uint32_t shareMode, std::uint32_t preferredProtocols) {
  try {
    comm.BeginTransaction();
    // Only to surface a reset that happened while the card was not in use.
    StringList readers;
    std::uint32_t state = 0;
    std::uint32_t protocol = 0;
    ByteArray atr;
    comm.Status(readers, state, protocol, atr);
    return;
  } catch (const PCSCWin32Exception& e) {
    if (e.errorCode != kResetCardWarning) throw;
  }
  // Another process reset the card: take it back as it is now, once.
  comm.Reconnect(shareMode, preferredProtocols, kResetCard);
  comm.BeginTransaction();
}

}  // namespace PCSC
}  // namespace TAVQ
