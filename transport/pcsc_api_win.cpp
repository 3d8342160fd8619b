// winscard behind the seam: the wide (W) forms; wchar_t is UTF-16 here, so wide text
// passes unchanged.
#include <windows.h>
#include <winscard.h>

#include "transport/pcsc_api.h"

namespace TAVQ {
namespace PCSC {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "winscard's wide text is UTF-16");

Result ToResult(LONG result) { return static_cast<Result>(result); }

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

const SCARD_IO_REQUEST* PlatformHeader(const IoRequest& header, SCARD_IO_REQUEST& other) {
  switch (header.protocol) {
    case SCARD_PROTOCOL_T0:
      return SCARD_PCI_T0;
    case SCARD_PROTOCOL_T1:
      return SCARD_PCI_T1;
    case SCARD_PROTOCOL_RAW:
      return SCARD_PCI_RAW;
    default:
      other.dwProtocol = header.protocol;
      other.cbPciLength = sizeof(SCARD_IO_REQUEST);
      return &other;
  }
}

class WinSCardApi : public PCSCApi {
 public:
  Result EstablishContext(std::uint32_t scope, const void* reserved1, const void* reserved2,
                          ContextHandle* context) override {
    SCARDCONTEXT handle = 0;
    const LONG result = SCardEstablishContext(scope, reserved1, reserved2, &handle);
    if (result == SCARD_S_SUCCESS) *context = static_cast<ContextHandle>(handle);
    return ToResult(result);
  }

  Result ReleaseContext(ContextHandle context) override { return ToResult(SCardReleaseContext(context)); }

  Result ListReaders(ContextHandle context, const char16_t* groups, char16_t** readers,
                     std::uint32_t* readersLength) override {
    LPWSTR buffer = nullptr;
    DWORD length = *readersLength;
    const LONG result = SCardListReadersW(context, Wide(groups), reinterpret_cast<LPWSTR>(&buffer), &length);
    if (result == SCARD_S_SUCCESS) {
      *readers = reinterpret_cast<char16_t*>(buffer);
      *readersLength = length;
    }
    return ToResult(result);
  }

  Result FreeMemory(ContextHandle context, const void* memory) override {
    return ToResult(SCardFreeMemory(context, memory));
  }

  Result Connect(ContextHandle context, const char16_t* reader, std::uint32_t shareMode,
                 std::uint32_t preferredProtocols, CardHandle* card, std::uint32_t* activeProtocol) override {
    SCARDHANDLE handle = 0;
    DWORD protocol = 0;
    const LONG result = SCardConnectW(context, Wide(reader), shareMode, preferredProtocols, &handle, &protocol);
    if (result == SCARD_S_SUCCESS) {
      *card = static_cast<CardHandle>(handle);
      *activeProtocol = protocol;
    }
    return ToResult(result);
  }

  Result Reconnect(CardHandle card, std::uint32_t shareMode, std::uint32_t preferredProtocols,
                   std::uint32_t initialization, std::uint32_t* activeProtocol) override {
    DWORD protocol = 0;
    const LONG result = SCardReconnect(card, shareMode, preferredProtocols, initialization, &protocol);
    if (result == SCARD_S_SUCCESS) *activeProtocol = protocol;
    return ToResult(result);
  }

  Result Disconnect(CardHandle card, std::uint32_t disposition) override {
    return ToResult(SCardDisconnect(card, disposition));
  }

  Result Status(CardHandle card, char16_t* readerNames, std::uint32_t* readerNamesLength, std::uint32_t* state,
                std::uint32_t* protocol, std::uint8_t* atr, std::uint32_t* atrLength) override {
    DWORD namesLength = *readerNamesLength;
    DWORD newState = 0;
    DWORD newProtocol = 0;
    DWORD newAtrLength = *atrLength;
    const LONG result =
        SCardStatusW(card, Wide(readerNames), &namesLength, &newState, &newProtocol, atr, &newAtrLength);
    if (result == SCARD_S_SUCCESS) {
      *readerNamesLength = namesLength;
      *state = newState;
      *protocol = newProtocol;
      *atrLength = newAtrLength;
    }
    return ToResult(result);
  }

  Result BeginTransaction(CardHandle card) override { return ToResult(SCardBeginTransaction(card)); }

  Result EndTransaction(CardHandle card, std::uint32_t disposition) override {
    return ToResult(SCardEndTransaction(card, disposition));
  }

  Result Transmit(CardHandle card, const IoRequest* sendHeader, const std::uint8_t* send, std::uint32_t sendLength,
                  IoRequest* receiveHeader, std::uint8_t* receive, std::uint32_t* receiveLength) override {
    SCARD_IO_REQUEST otherSend{};
    const SCARD_IO_REQUEST* platformSend = sendHeader != nullptr ? PlatformHeader(*sendHeader, otherSend) : nullptr;
    SCARD_IO_REQUEST platformReceive{};
    if (receiveHeader != nullptr) {
      platformReceive.dwProtocol = receiveHeader->protocol;
      platformReceive.cbPciLength = sizeof(SCARD_IO_REQUEST);
    }
    DWORD length = *receiveLength;
    const LONG result = SCardTransmit(card, platformSend, send, sendLength,
                                      receiveHeader != nullptr ? &platformReceive : nullptr, receive, &length);
    *receiveLength = length;
    if (receiveHeader != nullptr) receiveHeader->protocol = platformReceive.dwProtocol;
    return ToResult(result);
  }

  Result Control(CardHandle card, std::uint32_t controlCode, const std::uint8_t* input, std::uint32_t inputLength,
                 std::uint8_t* output, std::uint32_t outputSize, std::uint32_t* bytesReturned) override {
    DWORD returned = 0;
    const LONG result = SCardControl(card, controlCode, input, inputLength, output, outputSize, &returned);
    *bytesReturned = returned;
    return ToResult(result);
  }
};

}  // namespace

PCSCApi& PlatformApi() {
  static WinSCardApi api;
  return api;
}

}  // namespace PCSC
}  // namespace TAVQ
