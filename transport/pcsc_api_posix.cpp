// pcsc-lite behind the seam. Its DWORD and LONG are 64-bit on x86_64 and it speaks
// UTF-8 reader names: every value is converted, never a pointer cast between widths.
#include <PCSC/winscard.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "support/text.h"
#include "transport/pcsc_api.h"

namespace TAVQ {
namespace PCSC {

namespace {

Result ToResult(LONG result) { return static_cast<Result>(static_cast<std::uint32_t>(result)); }

SCARDCONTEXT ToContext(ContextHandle handle) { return static_cast<SCARDCONTEXT>(handle); }
SCARDHANDLE ToCard(CardHandle handle) { return static_cast<SCARDHANDLE>(handle); }

// A UTF-16 multi-string from a UTF-8 one of length bytes (names, zeros, final zero).
std::u16string WidenMultiString(const char* narrow, std::size_t length) {
  std::u16string wide;
  const char* const end = narrow + length;
  for (const char* name = narrow; name < end && *name != 0;) {
    std::size_t size = 0;
    while (name + size < end && name[size] != 0) ++size;
    wide += FromUtf8(std::string(name, size));
    wide += u'\0';
    name += size + 1;
  }
  wide += u'\0';
  return wide;
}

std::string NarrowMultiString(const char16_t* wide) {
  std::string narrow;
  for (const char16_t* name = wide; *name != 0;) {
    const std::u16string current(name);
    narrow += ToUtf8(current);
    narrow += '\0';
    name += current.size() + 1;
  }
  narrow += '\0';
  return narrow;
}

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

class PcscLiteApi : public PCSCApi {
 public:
  Result EstablishContext(std::uint32_t scope, const void* reserved1, const void* reserved2,
                          ContextHandle* context) override {
    SCARDCONTEXT handle = 0;
    const LONG result = SCardEstablishContext(scope, reserved1, reserved2, &handle);
    if (result == SCARD_S_SUCCESS) *context = static_cast<ContextHandle>(handle);
    return ToResult(result);
  }

  Result ReleaseContext(ContextHandle context) override { return ToResult(SCardReleaseContext(ToContext(context))); }

  Result ListReaders(ContextHandle context, const char16_t* groups, char16_t** readers,
                     std::uint32_t* readersLength) override {
    if (*readersLength != kAutoAllocateLength) return ToResult(SCARD_E_INVALID_PARAMETER);
    const std::string narrowGroups = groups != nullptr ? NarrowMultiString(groups) : std::string();
    char* narrow = nullptr;
    DWORD length = SCARD_AUTOALLOCATE;
    const LONG result = SCardListReaders(ToContext(context), groups != nullptr ? narrowGroups.c_str() : nullptr,
                                         reinterpret_cast<char*>(&narrow), &length);
    if (result != SCARD_S_SUCCESS) return ToResult(result);
    auto wide = std::make_unique<std::u16string>(WidenMultiString(narrow, length));
    char16_t* const handedOut = wide->data();
    *readersLength = static_cast<std::uint32_t>(wide->size());
    {
      std::lock_guard<std::mutex> lock(mutex_);
      allocations_.emplace(handedOut, Allocation{std::move(wide), narrow});
    }
    *readers = handedOut;
    return ToResult(result);
  }

  Result FreeMemory(ContextHandle context, const void* memory) override {
    Allocation allocation;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto found = allocations_.find(memory);
      if (found == allocations_.end()) return ToResult(SCARD_E_INVALID_PARAMETER);
      allocation = std::move(found->second);
      allocations_.erase(found);
    }
    return ToResult(SCardFreeMemory(ToContext(context), allocation.narrow));
  }

  Result Connect(ContextHandle context, const char16_t* reader, std::uint32_t shareMode,
                 std::uint32_t preferredProtocols, CardHandle* card, std::uint32_t* activeProtocol) override {
    const std::string name = reader != nullptr ? ToUtf8(reader) : std::string();
    SCARDHANDLE handle = 0;
    DWORD protocol = 0;
    const LONG result = SCardConnect(ToContext(context), reader != nullptr ? name.c_str() : nullptr, shareMode,
                                     preferredProtocols, &handle, &protocol);
    if (result == SCARD_S_SUCCESS) {
      *card = static_cast<CardHandle>(handle);
      *activeProtocol = static_cast<std::uint32_t>(protocol);
    }
    return ToResult(result);
  }

  Result Reconnect(CardHandle card, std::uint32_t shareMode, std::uint32_t preferredProtocols,
                   std::uint32_t initialization, std::uint32_t* activeProtocol) override {
    DWORD protocol = 0;
    const LONG result = SCardReconnect(ToCard(card), shareMode, preferredProtocols, initialization, &protocol);
    if (result == SCARD_S_SUCCESS) *activeProtocol = static_cast<std::uint32_t>(protocol);
    return ToResult(result);
  }

  Result Disconnect(CardHandle card, std::uint32_t disposition) override {
    return ToResult(SCardDisconnect(ToCard(card), disposition));
  }

  Result Status(CardHandle card, char16_t* readerNames, std::uint32_t* readerNamesLength, std::uint32_t* state,
                std::uint32_t* protocol, std::uint8_t* atr, std::uint32_t* atrLength) override {
    // UTF-8 takes at most three bytes for each UTF-16 unit.
    std::string narrow(static_cast<std::size_t>(*readerNamesLength) * 3, '\0');
    DWORD narrowLength = static_cast<DWORD>(narrow.size());
    DWORD newState = 0;
    DWORD newProtocol = 0;
    DWORD newAtrLength = *atrLength;
    const LONG result = SCardStatus(ToCard(card), narrow.data(), &narrowLength, &newState, &newProtocol, atr,
                                    &newAtrLength);
    if (result != SCARD_S_SUCCESS) return ToResult(result);
    const std::u16string wide = WidenMultiString(narrow.data(), std::min<std::size_t>(narrowLength, narrow.size()));
    if (wide.size() > *readerNamesLength) return ToResult(SCARD_E_INSUFFICIENT_BUFFER);
    wide.copy(readerNames, wide.size());
    *readerNamesLength = static_cast<std::uint32_t>(wide.size());
    *state = static_cast<std::uint32_t>(newState);
    *protocol = static_cast<std::uint32_t>(newProtocol);
    *atrLength = static_cast<std::uint32_t>(newAtrLength);
    return ToResult(result);
  }

  Result BeginTransaction(CardHandle card) override { return ToResult(SCardBeginTransaction(ToCard(card))); }

  Result EndTransaction(CardHandle card, std::uint32_t disposition) override {
    return ToResult(SCardEndTransaction(ToCard(card), disposition));
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
    const LONG result = SCardTransmit(ToCard(card), platformSend, send, sendLength,
                                      receiveHeader != nullptr ? &platformReceive : nullptr, receive, &length);
    *receiveLength = static_cast<std::uint32_t>(length);
    if (receiveHeader != nullptr) receiveHeader->protocol = static_cast<std::uint32_t>(platformReceive.dwProtocol);
    return ToResult(result);
  }

  Result Control(CardHandle card, std::uint32_t controlCode, const std::uint8_t* input, std::uint32_t inputLength,
                 std::uint8_t* output, std::uint32_t outputSize, std::uint32_t* bytesReturned) override {
    DWORD returned = 0;
    const LONG result =
        SCardControl(ToCard(card), controlCode, input, inputLength, output, outputSize, &returned);
    *bytesReturned = static_cast<std::uint32_t>(returned);
    return ToResult(result);
  }

 private:
  static constexpr std::uint32_t kAutoAllocateLength = 0xFFFFFFFFu;

  // Each wide list handed out, with the narrow buffer pcsc-lite allocated for it.
  struct Allocation {
    std::unique_ptr<std::u16string> wide;
    char* narrow = nullptr;
  };
  std::mutex mutex_;
  std::map<const void*, Allocation> allocations_;
};

}  // namespace

PCSCApi& PlatformApi() {
  static PcscLiteApi api;
  return api;
}

}  // namespace PCSC
}  // namespace TAVQ
