// The one seam between the transport and the platform's PC/SC (WinSCard) API.
// Every PC/SC call of the system goes through PCSCApi, so that unit tests can put a
// scripted fake in place of pcsc-lite or winscard.
//
// The calls mirror the WinSCard functions one to one, with portable types:
// handles are pointer-sized, lengths and flags 32-bit, results signed 32-bit codes,
// reader names UTF-16 (the platform form converts where it speaks UTF-8).
#pragma once

#include <cstdint>

namespace TAVQ {
namespace PCSC {

using ContextHandle = std::uintptr_t;
using CardHandle = std::uintptr_t;
using Result = std::int32_t;

// Protocol control information of a transmit: which protocol the command travels on.
// The platform form maps it onto its own structures (g_rgSCardT0Pci and the like).
struct IoRequest {
  std::uint32_t protocol;
};

class PCSCApi {
 public:
  virtual ~PCSCApi();

  virtual Result EstablishContext(std::uint32_t scope, const void* reserved1, const void* reserved2,
                                  ContextHandle* context) = 0;
  virtual Result ReleaseContext(ContextHandle context) = 0;

  // readersLength must be kAutoAllocate: *readers receives a multi-string allocated by
  // the implementation, returned with FreeMemory.
  virtual Result ListReaders(ContextHandle context, const char16_t* groups, char16_t** readers,
                             std::uint32_t* readersLength) = 0;
  virtual Result FreeMemory(ContextHandle context, const void* memory) = 0;

  virtual Result Connect(ContextHandle context, const char16_t* reader, std::uint32_t shareMode,
                         std::uint32_t preferredProtocols, CardHandle* card,
                         std::uint32_t* activeProtocol) = 0;
  virtual Result Reconnect(CardHandle card, std::uint32_t shareMode, std::uint32_t preferredProtocols,
                           std::uint32_t initialization, std::uint32_t* activeProtocol) = 0;
  virtual Result Disconnect(CardHandle card, std::uint32_t disposition) = 0;

  // readerNames holds *readerNamesLength wide characters on entry; atr *atrLength bytes.
  virtual Result Status(CardHandle card, char16_t* readerNames, std::uint32_t* readerNamesLength,
                        std::uint32_t* state, std::uint32_t* protocol, std::uint8_t* atr,
                        std::uint32_t* atrLength) = 0;

  virtual Result BeginTransaction(CardHandle card) = 0;
  virtual Result EndTransaction(CardHandle card, std::uint32_t disposition) = 0;

  // receiveLength holds the buffer size on entry and the answer length on return.
  virtual Result Transmit(CardHandle card, const IoRequest* sendHeader, const std::uint8_t* send,
                          std::uint32_t sendLength, IoRequest* receiveHeader, std::uint8_t* receive,
                          std::uint32_t* receiveLength) = 0;

  virtual Result Control(CardHandle card, std::uint32_t controlCode, const std::uint8_t* input,
                         std::uint32_t inputLength, std::uint8_t* output, std::uint32_t outputSize,
                         std::uint32_t* bytesReturned) = 0;
};

// The PC/SC API in use: the platform's unless a test installed another.
PCSCApi& Api();

// The platform's own PC/SC API (pcsc-lite or winscard).
PCSCApi& PlatformApi();

// Puts another PC/SC API in place for its lifetime (unit tests), then restores the
// previous one. Install it before creating transport objects and drop it after them.
class ScopedApi {
 public:
  explicit ScopedApi(PCSCApi& api);
  ~ScopedApi();
  ScopedApi(const ScopedApi&) = delete;
  ScopedApi& operator=(const ScopedApi&) = delete;

 private:
  PCSCApi* previous_;
};

}  // namespace PCSC
}  // namespace TAVQ
