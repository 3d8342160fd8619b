#include "transport/pcsc_comm.h"

#include <algorithm>
#include <array>
#include <vector>

#include "support/exception.h"
#include "transport/pcsc_constants.h"
#include "transport/pcsc_context.h"

namespace TAVQ {
namespace PCSC {

namespace {

constexpr std::uint32_t kShortReceiveBuffer = 512;
constexpr std::uint32_t kExtendedReceiveBuffer = 8192;
constexpr std::uint32_t kReaderNamesLength = 1024;
constexpr std::uint32_t kAtrLength = 32;
constexpr std::uint32_t kControlBuffer = 1024;

constexpr IoRequest kT0Header{kProtocolT0};
constexpr IoRequest kT1Header{kProtocolT1};
constexpr IoRequest kRawHeader{kProtocolRaw};

[[noreturn]] void FailState(const char* operation) { throw PCSCWin32Exception(operation, kInternalError); }

}  // namespace

PCSCComm PCSCComm::Attach(CardHandle card, std::uint32_t activeProtocol) {
  PCSCComm comm;
  comm.connected_ = true;
  comm.attached_ = true;
  comm.cardHandle_ = card;
  comm.activeProtocol_ = activeProtocol;
  return comm;
}

PCSCComm::PCSCComm(PCSCComm&& other) noexcept
    : connected_(other.connected_),
      attached_(other.attached_),
      activeProtocol_(other.activeProtocol_),
      cardHandle_(other.cardHandle_) {
  other.connected_ = false;
  other.attached_ = false;
  other.activeProtocol_ = 0;
  other.cardHandle_ = 0;
}

PCSCComm::~PCSCComm() {
  if (attached_ || !connected_) return;
  try {
    Disconnect(kLeaveCard);
  } catch (const PCSCWin32Exception&) {
    // Nothing more can be done for a handle that will not close.
  }
}

void PCSCComm::Connect(ContextHandle context, const WString& readerName, std::uint32_t shareMode,
                       std::uint32_t preferredProtocols) {
  if (attached_ || connected_) FailState("PCSCComm::Connect");
  CardHandle card = 0;
  std::uint32_t protocol = 0;
  CheckResult("SCardConnect", Api().Connect(context, readerName.empty() ? nullptr : readerName.c_str(), shareMode,
                                            preferredProtocols, &card, &protocol));
  cardHandle_ = card;
  activeProtocol_ = protocol;
  connected_ = true;
}

void PCSCComm::Reconnect(std::uint32_t shareMode, std::uint32_t preferredProtocols, std::uint32_t initialization) {
  if (!connected_) FailState("PCSCComm::AssertConnected");
  std::uint32_t protocol = 0;
  CheckResult("SCardReconnect", Api().Reconnect(cardHandle_, shareMode, preferredProtocols, initialization, &protocol));
  activeProtocol_ = protocol;
}

void PCSCComm::Disconnect(std::uint32_t disposition) {
  if (attached_ || !connected_) FailState("PCSCComm::Disconnect");
  const Result result = Api().Disconnect(cardHandle_, disposition);
  // A handle that failed to close is of no further use here (the card was removed, the
  // service restarted): forget it, so that the next operation connects afresh instead
  // of failing as already connected.
  cardHandle_ = 0;
  connected_ = false;
  activeProtocol_ = 0;
  CheckResult("SCardDisconnect", result);
}

void PCSCComm::Status(StringList& readerNames, std::uint32_t& state, std::uint32_t& protocol, ByteArray& atr) const {
  AssertConnected();
  std::array<char16_t, kReaderNamesLength> names{};
  std::uint32_t namesLength = kReaderNamesLength;
  std::array<std::uint8_t, kAtrLength> atrBuffer{};
  std::uint32_t atrLength = kAtrLength;
  std::uint32_t newState = 0;
  std::uint32_t newProtocol = 0;
  CheckResult("SCardStatus", Api().Status(cardHandle_, names.data(), &namesLength, &newState, &newProtocol,
                                          atrBuffer.data(), &atrLength));
  readerNames = SplitMultiString(names.data(), std::min(namesLength, kReaderNamesLength));
  state = newState;
  protocol = newProtocol;
  atr.assign(atrBuffer.begin(), atrBuffer.begin() + std::min(atrLength, kAtrLength));
}

void PCSCComm::BeginTransaction() {
  if (!connected_) FailState("PCSCComm::AssertConnected");
  CheckResult("SCardBeginTransaction", Api().BeginTransaction(cardHandle_));
}

void PCSCComm::EndTransaction(std::uint32_t disposition) {
  if (!connected_) FailState("PCSCComm::AssertConnected");
  CheckResult("SCardEndTransaction", Api().EndTransaction(cardHandle_, disposition));
}

ByteArray PCSCComm::Transmit(const ByteArray& command, bool extended) {
  AssertConnected();
  std::vector<std::uint8_t> buffer(extended ? kExtendedReceiveBuffer : kShortReceiveBuffer, 0);
  const IoRequest& header = GetHeader();
  auto length = static_cast<std::uint32_t>(buffer.size());
  const Result result = Api().Transmit(cardHandle_, &header, command.empty() ? nullptr : command.data(),
                                       static_cast<std::uint32_t>(command.size()), nullptr, buffer.data(), &length);
  CheckResult("SCardTransmit", result);
  // Never trust a returned length beyond the buffer we handed over.
  buffer.resize(std::min<std::size_t>(length, buffer.size()));
  return buffer;
}

ByteArray PCSCComm::Control(std::uint32_t controlCode, const ByteArray& input) {
  if (!connected_) FailState("PCSCComm::AssertConnected");
  std::array<std::uint8_t, kControlBuffer> output{};
  std::uint32_t returned = 0;
  CheckResult("SCardControl",
              Api().Control(cardHandle_, controlCode, input.empty() ? nullptr : input.data(),
                            static_cast<std::uint32_t>(input.size()), output.data(), kControlBuffer, &returned));
  return ByteArray(output.begin(), output.begin() + std::min(returned, kControlBuffer));
}

void PCSCComm::AssertConnected() const {
  if (!connected_) FailState("PCSCComm::AssertConnected");
}

const IoRequest& PCSCComm::GetHeader() const {
  switch (activeProtocol_) {
    case kProtocolT0:
      return kT0Header;
    case kProtocolT1:
      return kT1Header;
    case kProtocolRaw:
      return kRawHeader;
    default:
      throw PCSCWin32Exception("GetHeader", kProtoMismatch);
  }
}

}  // namespace PCSC
}  // namespace TAVQ
