// A scripted PC/SC for unit tests, put in place of the platform's for its lifetime.
//
//   Fakes::FakePCSC pcsc;                       // installed until it goes out of scope
//   pcsc.ExpectApdu("00A4040C02 0D01", "9000");  // expected command -> card's answer
//   pcsc.FailNext(Fakes::Call::BeginTransaction, TAVQ::PCSC::kResetCardWarning);
//   ... run the code under test ...
//   EXPECT_TRUE(pcsc.ScriptDone());
//   EXPECT_EQ(pcsc.CallNames(), (std::vector<std::string>{"SCardConnect", ...}));
//
// Hex strings ignore spaces. A command that differs from the next scripted one (or
// comes after the script's end) is a test failure and is answered 6F 00.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/exception.h"
#include "support/types.h"
#include "transport/pcsc_api.h"
#include "transport/pcsc_constants.h"

namespace Fakes {

using TAVQ::ByteArray;
using TAVQ::PCSC::CardHandle;
using TAVQ::PCSC::ContextHandle;
using TAVQ::PCSC::Result;

enum class Call {
  EstablishContext,
  ReleaseContext,
  ListReaders,
  FreeMemory,
  Connect,
  Reconnect,
  Disconnect,
  Status,
  BeginTransaction,
  EndTransaction,
  Transmit,
  Control,
};

// "SCardConnect" and so on.
const char* CallName(Call call);

// Bytes from hex text; spaces are ignored.
ByteArray Hex(std::string_view text);

// One PC/SC call as it arrived. Fields a call does not have stay at their defaults.
struct CallRecord {
  Call call = Call::EstablishContext;
  Result result = 0;
  ContextHandle context = 0;
  CardHandle card = 0;
  std::uint32_t scope = 0;
  std::uint32_t shareMode = 0;
  std::uint32_t preferredProtocols = 0;
  std::uint32_t disposition = 0;  // also the reconnect's initialization
  std::uint32_t controlCode = 0;
  std::uint32_t headerProtocol = 0;  // the transmit's send header
  std::uint32_t bufferSize = 0;      // receive, control output, or list length on entry
  std::optional<std::u16string> reader;  // nullopt: a null pointer was passed
  bool dataNull = false;                 // transmit or control input was a null pointer
  bool sendHeaderNull = false;
  bool receiveHeaderNull = false;
  bool reservedNull = true;  // both reserved pointers of EstablishContext
  bool groupsNull = true;
  ByteArray data;  // transmit command or control input
};

class FakePCSC : public TAVQ::PCSC::PCSCApi {
 public:
  FakePCSC();
  ~FakePCSC() override;
  FakePCSC(const FakePCSC&) = delete;
  FakePCSC& operator=(const FakePCSC&) = delete;

  // --- the card's dialogue ---
  void ExpectApdu(const ByteArray& command, const ByteArray& answer);
  void ExpectApdu(std::string_view commandHex, std::string_view answerHex);
  bool ScriptDone() const { return script_.empty(); }
  std::size_t ScriptLeft() const { return script_.size(); }

  // --- the readers and cards ---
    // Readers in order; each holds a card unless RemoveCard says otherwise. Without
  // readers, Connect accepts any name.
  void SetReaders(const TAVQ::StringList& readers);
  // The multi-string SCardListReaders hands out, exactly (embedded zeros included).
  void SetReaderMultiString(std::u16string multiString);
  void RemoveCard(const std::u16string& reader);
  // The reader a card handle was connected to (empty for an unknown handle).
  std::u16string ReaderOf(CardHandle card) const;
  // Protocol negotiated by Connect and Reconnect (default T=1).
  void SetProtocol(std::uint32_t protocol) { protocol_ = protocol; }
  // What Status reports besides the reader name.
  void SetStatus(std::uint32_t state, std::uint32_t protocol, ByteArray atr);
  // Output of every successful Control.
  void SetControlAnswer(ByteArray answer) { controlAnswer_ = std::move(answer); }

  // --- injected results ---
  // The next call of this kind returns code (queued: one code per call).
  void FailNext(Call call, Result code);
  // Every call of this kind returns code from now on (0 clears).
  void FailAlways(Call call, Result code);

  // --- the log ---
  const std::vector<CallRecord>& log() const { return log_; }
  std::vector<std::string> CallNames() const;
  std::size_t Count(Call call) const;
  std::vector<CallRecord> Calls(Call call) const;
  // Commands sent by Transmit, in order.
  std::vector<ByteArray> SentCommands() const;
  void ClearLog() { log_.clear(); }
  // Contexts established and not released, cards connected and not disconnected,
  // transactions begun and not ended: all zero when nothing was left open.
  std::size_t OpenContexts() const { return openContexts_.size(); }
  std::size_t OpenCards() const { return openCards_.size(); }
  std::size_t OpenTransactions() const { return openTransactions_.size(); }

  // --- PCSCApi ---
  Result EstablishContext(std::uint32_t scope, const void* reserved1, const void* reserved2,
                          ContextHandle* context) override;
  Result ReleaseContext(ContextHandle context) override;
  Result ListReaders(ContextHandle context, const char16_t* groups, char16_t** readers,
                     std::uint32_t* readersLength) override;
  Result FreeMemory(ContextHandle context, const void* memory) override;
  Result Connect(ContextHandle context, const char16_t* reader, std::uint32_t shareMode,
                 std::uint32_t preferredProtocols, CardHandle* card, std::uint32_t* activeProtocol) override;
  Result Reconnect(CardHandle card, std::uint32_t shareMode, std::uint32_t preferredProtocols,
                   std::uint32_t initialization, std::uint32_t* activeProtocol) override;
  Result Disconnect(CardHandle card, std::uint32_t disposition) override;
  Result Status(CardHandle card, char16_t* readerNames, std::uint32_t* readerNamesLength, std::uint32_t* state,
                std::uint32_t* protocol, std::uint8_t* atr, std::uint32_t* atrLength) override;
  Result BeginTransaction(CardHandle card) override;
  Result EndTransaction(CardHandle card, std::uint32_t disposition) override;
  Result Transmit(CardHandle card, const TAVQ::PCSC::IoRequest* sendHeader, const std::uint8_t* send,
                  std::uint32_t sendLength, TAVQ::PCSC::IoRequest* receiveHeader, std::uint8_t* receive,
                  std::uint32_t* receiveLength) override;
  Result Control(CardHandle card, std::uint32_t controlCode, const std::uint8_t* input, std::uint32_t inputLength,
                 std::uint8_t* output, std::uint32_t outputSize, std::uint32_t* bytesReturned) override;

 private:
  struct Exchange {
    ByteArray command;
    ByteArray answer;
  };

  // The injected code for this call, if any; records the call with it.
  Result Take(Call call);
  CallRecord& Record(Call call);

  TAVQ::PCSC::ScopedApi installed_;
  std::deque<Exchange> script_;
  std::u16string readers_;
  TAVQ::StringList readerList_;
  std::set<std::u16string> empty_;
  std::uint32_t protocol_ = TAVQ::PCSC::kProtocolT1;
  std::uint32_t statusState_ = 0x34;  // present, powered, negotiated
  std::optional<std::uint32_t> statusProtocol_;
  ByteArray atr_{0x3B, 0x88, 0x80, 0x01};
  ByteArray controlAnswer_;
  std::map<Call, std::deque<Result>> next_;
  std::map<Call, Result> always_;
  std::vector<CallRecord> log_;
  std::set<ContextHandle> openContexts_;
  std::map<CardHandle, std::u16string> openCards_;
  std::set<CardHandle> openTransactions_;
  std::map<const void*, std::unique_ptr<std::u16string>> lists_;  // handed out by ListReaders, not yet freed
  std::map<CardHandle, std::u16string> readerOf_;
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
