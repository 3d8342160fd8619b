// The two PC/SC card connections: one that owns its context and connects to a named
// reader, and one that borrows a handle somebody else opened.
#pragma once

#include <cstdint>

#include "support/types.h"
#include "transport/card_connection.h"
#include "transport/pcsc_comm.h"
#include "transport/pcsc_constants.h"
#include "transport/pcsc_context.h"

namespace TAVQ {
namespace PCSC {

// Owns a user-scope context established at construction; connects in shared mode with
// T=0 or T=1 around each card operation.
class PCSCCardConnection : public SmartCardIO::CardConnection {
 public:
  explicit PCSCCardConnection(WString readerName);
  // The same over a context somebody else established (a borrowed copy, see
  // PCSCContext::Borrow), for a front end that needs one context for a whole job.
  PCSCCardConnection(WString readerName, PCSCContext borrowedContext);
  // Leaves the card if still connected, then releases the context.
  ~PCSCCardConnection() override;

  void Connect() override;
  void Disconnect(std::uint8_t disposition) override;
  void BeginTransaction() override;
  void EndTransaction() override;
  ByteArray Transmit(const ByteArray& command, bool extended) override;
  ByteArray Control(std::uint32_t controlCode, const ByteArray& input) override;
  std::uint32_t GetProtocol() const override;

  const WString& readerName() const { return readerName_; }
  const PCSCComm& comm() const { return comm_; }

 private:
  PCSCContext context_;  // declared before comm_: the card is left before the context goes
  PCSCComm comm_;
  WString readerName_;
  std::uint32_t shareMode_ = kShareShared;
  std::uint32_t preferredProtocols_ = kProtocolT0OrT1;
};

// Borrows a connected card handle (the selection dialog's, during a card check); never
// connects nor disconnects it. The protocol comes from one status call.
class PCSCAttachedConnection : public SmartCardIO::CardConnection {
 public:
  // Raises "SCardStatus" when the handle's status cannot be read.
  PCSCAttachedConnection(CardHandle card, std::uint32_t shareMode, std::uint32_t preferredProtocols);
  ~PCSCAttachedConnection() override;

  void Connect() override;
  void Disconnect(std::uint8_t disposition) override;
  void BeginTransaction() override;
  void EndTransaction() override;
  ByteArray Transmit(const ByteArray& command, bool extended) override;
  ByteArray Control(std::uint32_t controlCode, const ByteArray& input) override;
  std::uint32_t GetProtocol() const override;

  const PCSCComm& comm() const { return comm_; }

 private:
  PCSCComm comm_;
  std::uint32_t shareMode_;
  std::uint32_t preferredProtocols_;
};

// Transaction start on comm; a card reset meanwhile (SCARD_W_RESET_CARD from the
// transaction or the status that follows it) is reconnected once with SCARD_RESET_CARD.
void BeginTransactionWithResetRecovery(PCSCComm& comm, std::uint32_t shareMode,
                                       std::uint32_t preferredProtocols);

}  // namespace PCSC
}  // namespace TAVQ
