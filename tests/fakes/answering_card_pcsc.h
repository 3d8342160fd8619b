// A PC/SC with one reader whose card answers every command with the next answer of a
// list, whatever the command was: the card as an attacker plays it (fuzz harnesses).
// It checks what a real PC/SC would (handles, buffer sizes) and keeps account of what
// the caller left open, but judges nothing itself: no test framework is linked.
#pragma once

#include <cstdint>
#include <deque>
#include <set>
#include <string>

#include "support/types.h"
#include "transport/pcsc_api.h"

namespace Fakes {

// One answer of the card: the response bytes, or a PC/SC failure of the transmit.
struct CardAnswer {
  TAVQ::ByteArray response;
  TAVQ::PCSC::Result failure = 0;
};

class AnsweringCardPCSC : public TAVQ::PCSC::PCSCApi {
 public:
  // What the card does once its answers are used up.
  enum class WhenExhausted {
    Leave,      // the card is pulled: every later transmit and connect fails
    RepeatLast  // it says its last answer again, forever (a card stuck in a loop)
  };

  // More than maxTransmits commands abort the process: a caller that a card can keep
  // talking forever is a finding, and it must not look like a slow run.
  AnsweringCardPCSC(std::uint32_t protocol, std::deque<CardAnswer> answers, WhenExhausted whenExhausted,
                    std::size_t maxTransmits);
  ~AnsweringCardPCSC() override;
  AnsweringCardPCSC(const AnsweringCardPCSC&) = delete;
  AnsweringCardPCSC& operator=(const AnsweringCardPCSC&) = delete;

  std::size_t Transmits() const { return transmits_; }
  // All zero when the caller released everything it opened.
  std::size_t OpenContexts() const { return contexts_.size(); }
  std::size_t OpenCards() const { return cards_.size(); }
  std::size_t OpenTransactions() const { return transactions_.size(); }

  TAVQ::PCSC::Result EstablishContext(std::uint32_t scope, const void* reserved1, const void* reserved2,
                                      TAVQ::PCSC::ContextHandle* context) override;
  TAVQ::PCSC::Result ReleaseContext(TAVQ::PCSC::ContextHandle context) override;
  TAVQ::PCSC::Result ListReaders(TAVQ::PCSC::ContextHandle context, const char16_t* groups, char16_t** readers,
                                 std::uint32_t* readersLength) override;
  TAVQ::PCSC::Result FreeMemory(TAVQ::PCSC::ContextHandle context, const void* memory) override;
  TAVQ::PCSC::Result Connect(TAVQ::PCSC::ContextHandle context, const char16_t* reader, std::uint32_t shareMode,
                             std::uint32_t preferredProtocols, TAVQ::PCSC::CardHandle* card,
                             std::uint32_t* activeProtocol) override;
  TAVQ::PCSC::Result Reconnect(TAVQ::PCSC::CardHandle card, std::uint32_t shareMode, std::uint32_t preferredProtocols,
                               std::uint32_t initialization, std::uint32_t* activeProtocol) override;
  TAVQ::PCSC::Result Disconnect(TAVQ::PCSC::CardHandle card, std::uint32_t disposition) override;
  TAVQ::PCSC::Result Status(TAVQ::PCSC::CardHandle card, char16_t* readerNames, std::uint32_t* readerNamesLength,
                            std::uint32_t* state, std::uint32_t* protocol, std::uint8_t* atr,
                            std::uint32_t* atrLength) override;
  TAVQ::PCSC::Result BeginTransaction(TAVQ::PCSC::CardHandle card) override;
  TAVQ::PCSC::Result EndTransaction(TAVQ::PCSC::CardHandle card, std::uint32_t disposition) override;
  TAVQ::PCSC::Result Transmit(TAVQ::PCSC::CardHandle card, const TAVQ::PCSC::IoRequest* sendHeader,
                              const std::uint8_t* send, std::uint32_t sendLength,
                              TAVQ::PCSC::IoRequest* receiveHeader, std::uint8_t* receive,
                              std::uint32_t* receiveLength) override;
  TAVQ::PCSC::Result Control(TAVQ::PCSC::CardHandle card, std::uint32_t controlCode, const std::uint8_t* input,
                             std::uint32_t inputLength, std::uint8_t* output, std::uint32_t outputSize,
                             std::uint32_t* bytesReturned) override;

  static constexpr char16_t kReader[] = u"Answering Reader 0";

 private:
  TAVQ::PCSC::ScopedApi installed_;
  std::uint32_t protocol_;
  std::deque<CardAnswer> answers_;
  WhenExhausted whenExhausted_;
  CardAnswer last_;
  bool removed_ = false;
  std::u16string readerList_;
  std::size_t maxTransmits_;
  std::size_t transmits_ = 0;
  std::set<TAVQ::PCSC::ContextHandle> contexts_;
  std::set<TAVQ::PCSC::CardHandle> cards_;
  std::set<TAVQ::PCSC::CardHandle> transactions_;
  TAVQ::PCSC::ContextHandle nextContext_ = 0x100;
  TAVQ::PCSC::CardHandle nextCard_ = 0x2000;
};

}  // namespace Fakes
