#include "fakes/answering_card_pcsc.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "transport/pcsc_constants.h"

namespace Fakes {

using namespace TAVQ::PCSC;

namespace {

constexpr Result kNotTransacted = Code(0x80100016u);  // SCARD_E_NOT_TRANSACTED

const TAVQ::ByteArray kAtrT0{0x3B, 0x02, 0x14, 0x50};
const TAVQ::ByteArray kAtrT1{0x3B, 0x88, 0x80, 0x01, 0x4B, 0x41, 0x56, 0x52, 0x49, 0x4E, 0x48, 0x43, 0x0B};

}  // namespace

AnsweringCardPCSC::AnsweringCardPCSC(std::uint32_t protocol, std::deque<CardAnswer> answers,
                                     WhenExhausted whenExhausted, std::size_t maxTransmits)
    : installed_(*this),
      protocol_(protocol),
      answers_(std::move(answers)),
      whenExhausted_(whenExhausted),
      maxTransmits_(maxTransmits) {
  readerList_ = kReader;
  readerList_ += u'\0';
  readerList_ += u'\0';
}

AnsweringCardPCSC::~AnsweringCardPCSC() = default;

Result AnsweringCardPCSC::EstablishContext(std::uint32_t, const void*, const void*, ContextHandle* context) {
  *context = nextContext_++;
  contexts_.insert(*context);
  return kSuccess;
}

Result AnsweringCardPCSC::ReleaseContext(ContextHandle context) {
  return contexts_.erase(context) == 1 ? kSuccess : kInvalidHandle;
}

Result AnsweringCardPCSC::ListReaders(ContextHandle context, const char16_t*, char16_t** readers,
                                      std::uint32_t* readersLength) {
  if (contexts_.count(context) == 0) return kInvalidHandle;
  if (*readersLength != kAutoAllocate) return kInvalidParameter;
  *readers = readerList_.data();
  *readersLength = static_cast<std::uint32_t>(readerList_.size());
  return kSuccess;
}

Result AnsweringCardPCSC::FreeMemory(ContextHandle, const void* memory) {
  return memory == readerList_.data() ? kSuccess : kInvalidParameter;
}

Result AnsweringCardPCSC::Connect(ContextHandle context, const char16_t* reader, std::uint32_t, std::uint32_t,
                                  CardHandle* card, std::uint32_t* activeProtocol) {
  if (contexts_.count(context) == 0) return kInvalidHandle;
  if (reader == nullptr || std::u16string(reader) != kReader) return kUnknownReader;
  if (removed_) return kNoSmartcard;
  *card = nextCard_++;
  *activeProtocol = protocol_;
  cards_.insert(*card);
  return kSuccess;
}

Result AnsweringCardPCSC::Reconnect(CardHandle card, std::uint32_t, std::uint32_t, std::uint32_t,
                                    std::uint32_t* activeProtocol) {
  if (cards_.count(card) == 0) return kInvalidHandle;
  if (removed_) return kNoSmartcard;
  *activeProtocol = protocol_;
  return kSuccess;
}

Result AnsweringCardPCSC::Disconnect(CardHandle card, std::uint32_t) {
  transactions_.erase(card);
  return cards_.erase(card) == 1 ? kSuccess : kInvalidHandle;
}

Result AnsweringCardPCSC::Status(CardHandle card, char16_t* readerNames, std::uint32_t* readerNamesLength,
                                 std::uint32_t* state, std::uint32_t* protocol, std::uint8_t* atr,
                                 std::uint32_t* atrLength) {
  if (cards_.count(card) == 0) return kInvalidHandle;
  if (removed_) return kRemovedCard;
  const TAVQ::ByteArray& answerToReset = protocol_ == kProtocolT0 ? kAtrT0 : kAtrT1;
  const std::u16string names = readerList_;
  if (names.size() > *readerNamesLength || answerToReset.size() > *atrLength) return kInsufficientBuffer;
  std::copy(names.begin(), names.end(), readerNames);
  *readerNamesLength = static_cast<std::uint32_t>(names.size());
  std::copy(answerToReset.begin(), answerToReset.end(), atr);
  *atrLength = static_cast<std::uint32_t>(answerToReset.size());
  *state = 0x34;
  *protocol = protocol_;
  return kSuccess;
}

Result AnsweringCardPCSC::BeginTransaction(CardHandle card) {
  if (cards_.count(card) == 0) return kInvalidHandle;
  if (removed_) return kRemovedCard;
  transactions_.insert(card);
  return kSuccess;
}

Result AnsweringCardPCSC::EndTransaction(CardHandle card, std::uint32_t) {
  if (cards_.count(card) == 0) return kInvalidHandle;
  return transactions_.erase(card) == 1 ? kSuccess : kNotTransacted;
}

Result AnsweringCardPCSC::Transmit(CardHandle card, const IoRequest* sendHeader, const std::uint8_t* send,
                                   std::uint32_t sendLength, IoRequest*, std::uint8_t* receive,
                                   std::uint32_t* receiveLength) {
  if (cards_.count(card) == 0 || sendHeader == nullptr || send == nullptr || sendLength < 4) {
    *receiveLength = 0;
    return cards_.count(card) == 0 ? kInvalidHandle : kInvalidParameter;
  }
  if (++transmits_ > maxTransmits_) {
    std::fprintf(stderr, "AnsweringCardPCSC: more than %zu commands: the caller does not stop\n", maxTransmits_);
    std::abort();
  }
  if (removed_) {
    *receiveLength = 0;
    return kRemovedCard;
  }
  if (!answers_.empty()) {
    last_ = std::move(answers_.front());
    answers_.pop_front();
  } else if (whenExhausted_ == WhenExhausted::Leave) {
    removed_ = true;
    *receiveLength = 0;
    return kRemovedCard;
  }
  if (last_.failure != kSuccess) {
    *receiveLength = 0;
    return last_.failure;
  }
  if (last_.response.size() > *receiveLength) return kInsufficientBuffer;
  std::copy(last_.response.begin(), last_.response.end(), receive);
  *receiveLength = static_cast<std::uint32_t>(last_.response.size());
  return kSuccess;
}

Result AnsweringCardPCSC::Control(CardHandle card, std::uint32_t, const std::uint8_t*, std::uint32_t,
                                  std::uint8_t*, std::uint32_t, std::uint32_t* bytesReturned) {
  *bytesReturned = 0;
  return cards_.count(card) == 0 ? kInvalidHandle : kInvalidParameter;
}

}  // namespace Fakes
