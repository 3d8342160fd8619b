#include "fakes/fake_pcsc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "support/text.h"

namespace Fakes {

using namespace TAVQ::PCSC;

namespace {

std::string HexText(const ByteArray& bytes) { return TAVQ::ToNarrow(TAVQ::ToHexString(bytes)); }

}  // namespace

const char* CallName(Call call) {
  switch (call) {
    case Call::EstablishContext: return "SCardEstablishContext";
    case Call::ReleaseContext: return "SCardReleaseContext";
    case Call::ListReaders: return "SCardListReaders";
    case Call::FreeMemory: return "SCardFreeMemory";
    case Call::Connect: return "SCardConnect";
    case Call::Reconnect: return "SCardReconnect";
    case Call::Disconnect: return "SCardDisconnect";
    case Call::Status: return "SCardStatus";
    case Call::BeginTransaction: return "SCardBeginTransaction";
    case Call::EndTransaction: return "SCardEndTransaction";
    case Call::Transmit: return "SCardTransmit";
    case Call::Control: return "SCardControl";
  }
  return "?";
}

ByteArray Hex(std::string_view text) {
  std::u16string digits;
  for (char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c)) != 0) digits += static_cast<char16_t>(c);
  }
  return TAVQ::FromHexString(digits);
}

FakePCSC::FakePCSC() : installed_(*this) {}

FakePCSC::~FakePCSC() = default;

void FakePCSC::ExpectApdu(const ByteArray& command, const ByteArray& answer) {
  script_.push_back(Exchange{command, answer});
}

void FakePCSC::ExpectApdu(std::string_view commandHex, std::string_view answerHex) {
  ExpectApdu(Hex(commandHex), Hex(answerHex));
}

void FakePCSC::SetReaders(const TAVQ::StringList& readers) {
  readerList_ = readers;
  readers_.clear();
  for (const auto& reader : readers) {
    readers_ += reader;
    readers_ += u'\0';
  }
  readers_ += u'\0';
}

void FakePCSC::SetReaderMultiString(std::u16string multiString) { readers_ = std::move(multiString); }

void FakePCSC::RemoveCard(const std::u16string& reader) { empty_.insert(reader); }

std::u16string FakePCSC::ReaderOf(CardHandle card) const {
  const auto found = readerOf_.find(card);
  return found == readerOf_.end() ? std::u16string() : found->second;
}

void FakePCSC::SetStatus(std::uint32_t state, std::uint32_t protocol, ByteArray atr) {
  statusState_ = state;
  statusProtocol_ = protocol;
  atr_ = std::move(atr);
}

void FakePCSC::FailNext(Call call, Result code) { next_[call].push_back(code); }

void FakePCSC::FailAlways(Call call, Result code) { always_[call] = code; }

std::vector<std::string> FakePCSC::CallNames() const {
  std::vector<std::string> names;
  for (const auto& record : log_) names.emplace_back(CallName(record.call));
  return names;
}

std::size_t FakePCSC::Count(Call call) const {
  return static_cast<std::size_t>(
      std::count_if(log_.begin(), log_.end(), [call](const CallRecord& r) { return r.call == call; }));
}

std::vector<CallRecord> FakePCSC::Calls(Call call) const {
  std::vector<CallRecord> calls;
  std::copy_if(log_.begin(), log_.end(), std::back_inserter(calls),
               [call](const CallRecord& r) { return r.call == call; });
  return calls;
}

std::vector<ByteArray> FakePCSC::SentCommands() const {
  std::vector<ByteArray> commands;
  for (const auto& record : log_) {
    if (record.call == Call::Transmit) commands.push_back(record.data);
  }
  return commands;
}

Result FakePCSC::Take(Call call) {
  auto& queued = next_[call];
  if (!queued.empty()) {
    const Result code = queued.front();
    queued.pop_front();
    return code;
  }
  const auto always = always_.find(call);
  return always == always_.end() ? kSuccess : always->second;
}

CallRecord& FakePCSC::Record(Call call) {
  CallRecord record;
  record.call = call;
  log_.push_back(std::move(record));
  return log_.back();
}

Result FakePCSC::EstablishContext(std::uint32_t scope, const void* reserved1, const void* reserved2,
                                  ContextHandle* context) {
  CallRecord& record = Record(Call::EstablishContext);
  record.scope = scope;
  record.reservedNull = reserved1 == nullptr && reserved2 == nullptr;
  record.result = Take(Call::EstablishContext);
  if (record.result != kSuccess) return record.result;
  record.context = *context = nextContext_++;
  openContexts_.insert(record.context);
  return kSuccess;
}

Result FakePCSC::ReleaseContext(ContextHandle context) {
  CallRecord& record = Record(Call::ReleaseContext);
  record.context = context;
  record.result = Take(Call::ReleaseContext);
  if (record.result != kSuccess) return record.result;
  if (openContexts_.erase(context) == 0) record.result = kInvalidHandle;
  return record.result;
}

Result FakePCSC::ListReaders(ContextHandle context, const char16_t* groups, char16_t** readers,
                             std::uint32_t* readersLength) {
  CallRecord& record = Record(Call::ListReaders);
  record.context = context;
  record.groupsNull = groups == nullptr;
  record.bufferSize = *readersLength;
  record.result = Take(Call::ListReaders);
  if (record.result != kSuccess) return record.result;
  if (*readersLength != kAutoAllocate) return record.result = kInvalidParameter;
  if (readers_.size() <= 1) return record.result = kNoReadersAvailable;
  // Each call gets its own buffer, so a missing or double free shows.
  auto buffer = std::make_unique<std::u16string>(readers_);
  *readers = buffer->data();
  *readersLength = static_cast<std::uint32_t>(buffer->size());
  lists_.emplace(buffer->data(), std::move(buffer));
  return kSuccess;
}

Result FakePCSC::FreeMemory(ContextHandle context, const void* memory) {
  CallRecord& record = Record(Call::FreeMemory);
  record.context = context;
  record.result = Take(Call::FreeMemory);
  // The buffer is gone whatever the injected result says: the caller handed it back.
  if (lists_.erase(memory) == 0 && record.result == kSuccess) record.result = kInvalidParameter;
  return record.result;
}

Result FakePCSC::Connect(ContextHandle context, const char16_t* reader, std::uint32_t shareMode,
                         std::uint32_t preferredProtocols, CardHandle* card, std::uint32_t* activeProtocol) {
  CallRecord& record = Record(Call::Connect);
  record.context = context;
  if (reader != nullptr) record.reader = std::u16string(reader);
  record.shareMode = shareMode;
  record.preferredProtocols = preferredProtocols;
  record.result = Take(Call::Connect);
  if (record.result != kSuccess) return record.result;
  if (openContexts_.count(context) == 0) return record.result = kInvalidHandle;
  std::u16string name = reader != nullptr ? std::u16string(reader) : std::u16string();
  if (!readerList_.empty()) {
    if (reader == nullptr) name = readerList_.front();
    if (std::find(readerList_.begin(), readerList_.end(), name) == readerList_.end()) {
      return record.result = kUnknownReader;
    }
  }
  if (empty_.count(name) != 0) return record.result = kNoSmartcard;
  record.card = *card = nextCard_++;
  *activeProtocol = protocol_;
  openCards_[record.card] = name;
  readerOf_[record.card] = name;
  return kSuccess;
}

Result FakePCSC::Reconnect(CardHandle card, std::uint32_t shareMode, std::uint32_t preferredProtocols,
                           std::uint32_t initialization, std::uint32_t* activeProtocol) {
  CallRecord& record = Record(Call::Reconnect);
  record.card = card;
  record.shareMode = shareMode;
  record.preferredProtocols = preferredProtocols;
  record.disposition = initialization;
  record.result = Take(Call::Reconnect);
  if (record.result != kSuccess) return record.result;
  if (openCards_.count(card) == 0) return record.result = kInvalidHandle;
  *activeProtocol = protocol_;
  return kSuccess;
}

Result FakePCSC::Disconnect(CardHandle card, std::uint32_t disposition) {
  CallRecord& record = Record(Call::Disconnect);
  record.card = card;
  record.disposition = disposition;
  record.result = Take(Call::Disconnect);
  if (record.result != kSuccess) return record.result;
  if (openCards_.erase(card) == 0) return record.result = kInvalidHandle;
  openTransactions_.erase(card);
  return kSuccess;
}

Result FakePCSC::Status(CardHandle card, char16_t* readerNames, std::uint32_t* readerNamesLength,
                        std::uint32_t* state, std::uint32_t* protocol, std::uint8_t* atr, std::uint32_t* atrLength) {
  CallRecord& record = Record(Call::Status);
  record.card = card;
  record.bufferSize = *readerNamesLength;
  record.result = Take(Call::Status);
  if (record.result != kSuccess) return record.result;
  const auto open = openCards_.find(card);
  if (open == openCards_.end()) return record.result = kInvalidHandle;
  std::u16string names = open->second;
  names += u'\0';
  names += u'\0';
  if (names.size() > *readerNamesLength || atr_.size() > *atrLength) return record.result = kInsufficientBuffer;
  names.copy(readerNames, names.size());
  *readerNamesLength = static_cast<std::uint32_t>(names.size());
  std::copy(atr_.begin(), atr_.end(), atr);
  *atrLength = static_cast<std::uint32_t>(atr_.size());
  *state = statusState_;
  *protocol = statusProtocol_.value_or(protocol_);
  return kSuccess;
}

Result FakePCSC::BeginTransaction(CardHandle card) {
  CallRecord& record = Record(Call::BeginTransaction);
  record.card = card;
  record.result = Take(Call::BeginTransaction);
  if (record.result != kSuccess) return record.result;
  if (openCards_.count(card) == 0) return record.result = kInvalidHandle;
  openTransactions_.insert(card);
  return kSuccess;
}

Result FakePCSC::EndTransaction(CardHandle card, std::uint32_t disposition) {
  CallRecord& record = Record(Call::EndTransaction);
  record.card = card;
  record.disposition = disposition;
  record.result = Take(Call::EndTransaction);
  if (record.result != kSuccess) return record.result;
  if (openTransactions_.erase(card) == 0) return record.result = kInvalidHandle;
  return kSuccess;
}

Result FakePCSC::Transmit(CardHandle card, const IoRequest* sendHeader, const std::uint8_t* send,
                          std::uint32_t sendLength, IoRequest* receiveHeader, std::uint8_t* receive,
                          std::uint32_t* receiveLength) {
  CallRecord& record = Record(Call::Transmit);
  record.card = card;
  record.sendHeaderNull = sendHeader == nullptr;
  if (sendHeader != nullptr) record.headerProtocol = sendHeader->protocol;
  record.receiveHeaderNull = receiveHeader == nullptr;
  record.dataNull = send == nullptr;
  if (send != nullptr) record.data.assign(send, send + sendLength);
  record.bufferSize = *receiveLength;
  record.result = Take(Call::Transmit);
  if (record.result != kSuccess) {
    *receiveLength = 0;
    return record.result;
  }
  if (openCards_.count(card) == 0) return record.result = kInvalidHandle;

  ByteArray answer{0x6F, 0x00};
  if (script_.empty()) {
    ADD_FAILURE() << "unexpected command " << HexText(record.data) << " after the end of the script";
  } else if (script_.front().command != record.data) {
    ADD_FAILURE() << "command " << HexText(record.data) << " where the script expects "
                  << HexText(script_.front().command);
    script_.pop_front();
  } else {
    answer = script_.front().answer;
    script_.pop_front();
  }
  if (answer.size() > *receiveLength) return record.result = kInsufficientBuffer;
  std::copy(answer.begin(), answer.end(), receive);
  *receiveLength = static_cast<std::uint32_t>(answer.size());
  return kSuccess;
}

Result FakePCSC::Control(CardHandle card, std::uint32_t controlCode, const std::uint8_t* input,
                         std::uint32_t inputLength, std::uint8_t* output, std::uint32_t outputSize,
                         std::uint32_t* bytesReturned) {
  CallRecord& record = Record(Call::Control);
  record.card = card;
  record.controlCode = controlCode;
  record.dataNull = input == nullptr;
  if (input != nullptr) record.data.assign(input, input + inputLength);
  record.bufferSize = outputSize;
  record.result = Take(Call::Control);
  *bytesReturned = 0;
  if (record.result != kSuccess) return record.result;
  if (openCards_.count(card) == 0) return record.result = kInvalidHandle;
  if (controlAnswer_.size() > outputSize) return record.result = kInsufficientBuffer;
  std::copy(controlAnswer_.begin(), controlAnswer_.end(), output);
  *bytesReturned = static_cast<std::uint32_t>(controlAnswer_.size());
  return kSuccess;
}

}  // namespace Fakes
