// A PC/SC installed for its lifetime: it keeps the handles a real one would, logs every
// call with its arguments and returns injected failures; the subclass answers commands.
#pragma once

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/exception.h"
#include "support/text.h"
#include "support/types.h"
#include "transport/pcsc_api.h"
#include "transport/pcsc_constants.h"

namespace Fakes {

using TAVQ::ByteArray;
using TAVQ::PCSC::CardHandle;
using TAVQ::PCSC::ContextHandle;
using TAVQ::PCSC::Result;

enum class Call {
  EstablishContext, ReleaseContext, ListReaders, FreeMemory, Connect, Reconnect,
  Disconnect, Status, BeginTransaction, EndTransaction, Transmit, Control
};

// Bytes from hex text; spaces and other separators are ignored.
inline ByteArray Hex(std::string_view text) {
  std::u16string digits;
  for (const char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c)) != 0) digits += static_cast<char16_t>(c);
  }
  return TAVQ::FromHexString(digits);
}
inline std::string HexOf(const ByteArray& bytes) { return TAVQ::ToNarrow(TAVQ::ToHexString(bytes)); }

// One call as it arrived; fields the call does not have stay at their defaults.
struct CallRecord {
  Call call = Call::EstablishContext;
  Result result = 0;
  CardHandle card = 0;
  std::uint32_t scope = 0;
  std::uint32_t shareMode = 0;
  std::uint32_t preferredProtocols = 0;
  std::uint32_t disposition = 0;  // also the reconnect's initialization
  std::uint32_t controlCode = 0;
  std::uint32_t headerProtocol = 0;      // the transmit's send header
  std::optional<std::u16string> reader;  // nullopt: a null pointer was passed
  ByteArray data;                        // transmit command or control input
};

class RecordingPCSC : public TAVQ::PCSC::PCSCApi {
 public:
  RecordingPCSC() : installed_(*this) {}  // not copyable: the installation is not

  // Each reader holds a card unless removed; without readers, Connect accepts any name.
  void SetReaders(const TAVQ::StringList& readers) { readers_ = readers; }
  void RemoveCard(const std::u16string& reader) { empty_.insert(reader); }
  void SetProtocol(std::uint32_t protocol) { protocol_ = protocol; }
  void SetAtr(ByteArray atr) { atr_ = std::move(atr); }

  // The next call of this kind returns code (queued: one code per call).
  void FailNext(Call call, Result code) { next_[call].push_back(code); }
  // Every call of this kind returns code from now on (0 clears).
  void FailAlways(Call call, Result code) { always_[call] = code; }

  const std::vector<CallRecord>& log() const { return log_; }
  void ClearLog() { log_.clear(); }
  std::vector<CallRecord> Calls(Call call) const {
    std::vector<CallRecord> calls;
    std::copy_if(log_.begin(), log_.end(), std::back_inserter(calls), [call](auto& r) { return r.call == call; });
    return calls;
  }
  std::size_t Count(Call call) const { return Calls(call).size(); }
  std::vector<Call> Sequence() const {
    std::vector<Call> calls;
    for (const auto& record : log_) calls.push_back(record.call);
    return calls;
  }
  std::vector<ByteArray> SentCommands() const {
    std::vector<ByteArray> commands;
    for (const auto& record : Calls(Call::Transmit)) commands.push_back(record.data);
    return commands;
  }
  // All zero when the caller released everything it opened.
  std::size_t OpenContexts() const { return openContexts_.size(); }
  std::size_t OpenCards() const { return openCards_.size(); }
  std::size_t OpenTransactions() const { return openTransactions_.size(); }

  Result EstablishContext(std::uint32_t scope, const void*, const void*, ContextHandle* context) override {
    CallRecord& r = Record(Call::EstablishContext, std::nullopt);
    r.scope = scope;
    if (r.result != 0) return r.result;
    openContexts_.insert(*context = nextContext_++);
    return r.result;
  }

  Result ReleaseContext(ContextHandle context) override {
    CallRecord& r = Record(Call::ReleaseContext, context);
    if (r.result == 0) openContexts_.erase(context);
    return r.result;
  }

  Result ListReaders(ContextHandle context, const char16_t*, char16_t** readers, std::uint32_t* length) override {
    CallRecord& r = Record(Call::ListReaders, context);
    if (r.result != 0) return r.result;
    if (*length != TAVQ::PCSC::kAutoAllocate) return r.result = TAVQ::PCSC::kInvalidParameter;
    if (readers_.empty()) return r.result = TAVQ::PCSC::kNoReadersAvailable;
    // A buffer per call, so a missing or double free shows.
    auto list = std::make_unique<std::u16string>();
    for (const auto& reader : readers_) list->append(reader).push_back(u'\0');
    list->push_back(u'\0');
    *readers = list->data();
    *length = static_cast<std::uint32_t>(list->size());
    lists_.emplace(list->data(), std::move(list));
    return r.result;
  }

  Result FreeMemory(ContextHandle, const void* memory) override {
    CallRecord& r = Record(Call::FreeMemory, std::nullopt);
    if (lists_.erase(memory) == 0 && r.result == 0) r.result = TAVQ::PCSC::kInvalidParameter;
    return r.result;
  }

  Result Connect(ContextHandle context, const char16_t* reader, std::uint32_t shareMode,
                 std::uint32_t preferredProtocols, CardHandle* card, std::uint32_t* activeProtocol) override {
    CallRecord& r = Record(Call::Connect, context);
    if (reader != nullptr) r.reader = reader;
    r.shareMode = shareMode;
    r.preferredProtocols = preferredProtocols;
    if (r.result != 0) return r.result;
    std::u16string name = r.reader.value_or(readers_.empty() ? u"" : readers_.front());
    const bool known = readers_.empty() || std::count(readers_.begin(), readers_.end(), name) != 0;
    if (!known) return r.result = TAVQ::PCSC::kUnknownReader;
    if (empty_.count(name) != 0) return r.result = TAVQ::PCSC::kNoSmartcard;
    r.card = *card = nextCard_++;
    *activeProtocol = protocol_;
    openCards_[r.card] = name;
    return r.result;
  }

  Result Reconnect(CardHandle card, std::uint32_t shareMode, std::uint32_t preferredProtocols,
                   std::uint32_t initialization, std::uint32_t* activeProtocol) override {
    CallRecord& r = Record(Call::Reconnect, std::nullopt, card);
    r.shareMode = shareMode;
    r.preferredProtocols = preferredProtocols;
    r.disposition = initialization;
    if (r.result == 0) *activeProtocol = protocol_;
    return r.result;
  }

  Result Disconnect(CardHandle card, std::uint32_t disposition) override {
    CallRecord& r = Record(Call::Disconnect, std::nullopt, card);
    r.disposition = disposition;
    if (r.result != 0) return r.result;
    openCards_.erase(card);
    openTransactions_.erase(card);
    return r.result;
  }

  Result Status(CardHandle card, char16_t* readerNames, std::uint32_t* readerNamesLength, std::uint32_t* state,
                std::uint32_t* protocol, std::uint8_t* atr, std::uint32_t* atrLength) override {
    CallRecord& r = Record(Call::Status, std::nullopt, card);
    if (r.result != 0) return r.result;
    const std::u16string names = openCards_[card] + u'\0' + u'\0';
    if (names.size() > *readerNamesLength || atr_.size() > *atrLength) {
      return r.result = TAVQ::PCSC::kInsufficientBuffer;
    }
    *readerNamesLength = static_cast<std::uint32_t>(names.copy(readerNames, names.size()));
    *atrLength = static_cast<std::uint32_t>(std::copy(atr_.begin(), atr_.end(), atr) - atr);
    *state = 0x34;  // present, powered, negotiated
    *protocol = protocol_;
    return r.result;
  }

  Result BeginTransaction(CardHandle card) override {
    CallRecord& r = Record(Call::BeginTransaction, std::nullopt, card);
    if (r.result == 0) openTransactions_.insert(card);
    return r.result;
  }

  Result EndTransaction(CardHandle card, std::uint32_t disposition) override {
    CallRecord& r = Record(Call::EndTransaction, std::nullopt, card);
    r.disposition = disposition;
    if (r.result == 0 && openTransactions_.erase(card) == 0) r.result = TAVQ::PCSC::kInvalidHandle;
    return r.result;
  }

  Result Transmit(CardHandle card, const TAVQ::PCSC::IoRequest* sendHeader, const std::uint8_t* send,
                  std::uint32_t sendLength, TAVQ::PCSC::IoRequest*, std::uint8_t* receive,
                  std::uint32_t* receiveLength) override {
    CallRecord& r = Record(Call::Transmit, std::nullopt, card);
    r.headerProtocol = sendHeader == nullptr ? 0 : sendHeader->protocol;
    if (send != nullptr) r.data.assign(send, send + sendLength);
    ByteArray answer;
    if (r.result == 0 && sendHeader == nullptr) r.result = TAVQ::PCSC::kInvalidParameter;
    if (r.result == 0) r.result = Answer(r.data, answer);
    if (r.result == 0 && answer.size() > *receiveLength) r.result = TAVQ::PCSC::kInsufficientBuffer;
    const auto end = r.result == 0 ? std::copy(answer.begin(), answer.end(), receive) : receive;
    *receiveLength = static_cast<std::uint32_t>(end - receive);
    return r.result;
  }

  Result Control(CardHandle card, std::uint32_t controlCode, const std::uint8_t* input, std::uint32_t inputLength,
                 std::uint8_t* output, std::uint32_t outputSize, std::uint32_t* bytesReturned) override {
    CallRecord& r = Record(Call::Control, std::nullopt, card);
    r.controlCode = controlCode;
    if (input != nullptr) r.data.assign(input, input + inputLength);
    *bytesReturned = 0;
    return r.result;
  }

 protected:
  virtual Result Answer(const ByteArray& command, ByteArray& answer) = 0;

 private:
  // Logs the call with its injected result; a handle that is not open fails as on a real PC/SC.
  CallRecord& Record(Call call, std::optional<ContextHandle> context, std::optional<CardHandle> card = {}) {
    CallRecord& r = log_.emplace_back();
    r.call = call;
    r.card = card.value_or(0);
    auto& queued = next_[call];
    if (!queued.empty()) {
      r.result = queued.front();
      queued.pop_front();
    } else if (always_.count(call) != 0) {
      r.result = always_[call];
    }
    const bool closed = context ? openContexts_.count(*context) == 0 : card && openCards_.count(*card) == 0;
    if (r.result == 0 && closed) r.result = TAVQ::PCSC::kInvalidHandle;
    return r;
  }

  TAVQ::PCSC::ScopedApi installed_;
  TAVQ::StringList readers_;
  std::set<std::u16string> empty_;
  std::uint32_t protocol_ = TAVQ::PCSC::kProtocolT1;
  ByteArray atr_{0x3B, 0x88, 0x80, 0x01};
  std::map<Call, std::deque<Result>> next_;
  std::map<Call, Result> always_;
  std::vector<CallRecord> log_;
  std::set<ContextHandle> openContexts_;
  std::map<CardHandle, std::u16string> openCards_;
  std::set<CardHandle> openTransactions_;
  std::map<const void*, std::unique_ptr<std::u16string>> lists_;  // handed out, not yet freed
  ContextHandle nextContext_ = 0xC0;
  CardHandle nextCard_ = 0x1000;
};

// The PC/SC code an operation raises, or 0 when it raises none.
template <typename Operation>
std::int32_t CodeOf(Operation operation) {
  try {
    operation();
  } catch (const TAVQ::PCSC::PCSCWin32Exception& e) {
    return e.errorCode;
  }
  return 0;
}

}  // namespace Fakes
