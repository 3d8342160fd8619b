// A PC/SC card handle. Every operation is one PC/SC call, preceded by a state check
// (misuse raises SCARD_F_INTERNAL_ERROR before PC/SC is reached) and followed by a
// result check; failures raise TAVQ::PCSC::PCSCWin32Exception.
#pragma once

#include <cstdint>

#include "support/types.h"
#include "transport/pcsc_api.h"

namespace TAVQ {
namespace PCSC {

class PCSCComm {
 public:
  PCSCComm() = default;
  // A borrowed handle: connected and attached; never connected or disconnected here.
  static PCSCComm Attach(CardHandle card, std::uint32_t activeProtocol);
  PCSCComm(PCSCComm&& other) noexcept;
  PCSCComm& operator=(PCSCComm&&) = delete;
  PCSCComm(const PCSCComm&) = delete;
  PCSCComm& operator=(const PCSCComm&) = delete;
  // Leaves an owned card connected (SCARD_LEAVE_CARD), swallowing a failure.
  ~PCSCComm();

  // An empty reader name reaches PC/SC as a null pointer.
  void Connect(ContextHandle context, const WString& readerName, std::uint32_t shareMode,
               std::uint32_t preferredProtocols);
  void Reconnect(std::uint32_t shareMode, std::uint32_t preferredProtocols, std::uint32_t initialization);
  // Forgets the handle even when SCardDisconnect fails, then raises that failure.
  void Disconnect(std::uint32_t disposition);
  void Status(StringList& readerNames, std::uint32_t& state, std::uint32_t& protocol, ByteArray& atr) const;
  void BeginTransaction();
  void EndTransaction(std::uint32_t disposition);
  // The answer as the reader delivered it, in a receive buffer of 8192 (extended) or
  // 512 bytes; an empty command reaches PC/SC as a null pointer.
  ByteArray Transmit(const ByteArray& command, bool extended);
  ByteArray Control(std::uint32_t controlCode, const ByteArray& input);
  // Raises "PCSCComm::AssertConnected" with SCARD_F_INTERNAL_ERROR unless connected.
  void AssertConnected() const;
  // The protocol control information for activeProtocol (T0, T1 or RAW).
  const IoRequest& GetHeader() const;

  bool connected() const { return connected_; }
  bool attached() const { return attached_; }
  std::uint32_t activeProtocol() const { return activeProtocol_; }
  CardHandle cardHandle() const { return cardHandle_; }

 private:
  bool connected_ = false;
  bool attached_ = false;  // implies connected_
  std::uint32_t activeProtocol_ = 0;
  CardHandle cardHandle_ = 0;
};

}  // namespace PCSC
}  // namespace TAVQ
