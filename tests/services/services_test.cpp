// The services over the real card engine and transport, with the scripted PC/SC in place
// of the platform's: what they do, what they report and what they trace.
#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <new>
#include <stdexcept>
#include <thread>

#include "card/test_pki.h"
#include "services/card_dialogue.h"
#include "services/doc_read_service.h"
#include "services/error_record.h"
#include "services/handle_exception.h"
#include "services/report_error.h"
#include "services/service_status.h"
#include "services/smart_card_service.h"
#include "services/trace_scope.h"
#include "services/user_notifier.h"
#include "services/utilities_service.h"
#include "support/exception.h"
#include "support/text.h"

using namespace TAVQ;
using namespace CardDialogue;
using Fakes::Call;

namespace {

// Block 0x0D01, issued 15.03.2021.
ByteArray DocumentBlock() {
  return Block(0x0D01, {Element(0x0611, {'I', 0}), Element(0x0612, Ascii("12345")), Element(0x0613, Ascii("00012345678")),
                        Element(0x0615, Ascii("15032021")), Element(0x0616, Ascii("14032031")),
                        Element(0x0617, Ascii("0123456789ABCDEF")), Element(0x0618, Ascii("SR"))});
}

std::vector<WString> traceLines;
void CollectTrace(const WString& line) { traceLines.push_back(line); }

struct RecordingNotifier : UserNotifier {
  void Notify(const WString& description) noexcept override { shown.push_back(description); }
  std::vector<WString> shown;
};

// A recording notifier, trace and a clean error record (the platform's, per thread here) for each test.
class ReportingTest : public ::testing::Test {
 protected:
  ReportingTest() {
    ThreadErrorRecordStore::Clear();
    traceLines.clear();
    InstallTraceSink(&CollectTrace);
  }
  ~ReportingTest() override {
    InstallTraceSink(nullptr);
    ThreadErrorRecordStore::Clear();
  }

  static std::optional<ErrorRecord> Record() { return ThreadErrorRecordStore::Current(); }

  // The one report since the last call: shown, and recorded with the same text.
  void ExpectOnlyReport(HRESULT status, HRESULT expected, const WString& description) {
    EXPECT_EQ(status, expected);
    EXPECT_EQ(notifier_.shown, std::vector<WString>{description});
    ASSERT_TRUE(Record().has_value());
    EXPECT_EQ(Record()->description, description);
    notifier_.shown.clear();
  }

  Fakes::FakePCSC pcsc_;
  RecordingNotifier notifier_;
  ScopedUserNotifier scopedNotifier_{notifier_};
};

TEST_F(ReportingTest, EachKindOfExceptionGivesItsStatusAndOneReport) {
  const PCSC::PCSCWin32Exception removed("SCardTransmit", static_cast<std::int32_t>(0x80100069u));
  const Win32Exception wide("Call", 70000);
  const ArgumentOutOfRangeException argument(u"day");
  const CardException card(u"Read document has ID 7, but ID 1 was requested.");
  const struct { std::exception_ptr raised; HRESULT status; WString message; } cases[] = {
      {std::make_exception_ptr(JavaCard::AppletException(0x0A0B)), ToHResult(0x80040A0Bu),
       u"Card applet returned an error 0A0Bh"},
      {std::make_exception_ptr(removed), ToHResult(0x80100069u), removed.message},
      {std::make_exception_ptr(Win32Exception("CreateFile", 5)), ToHResult(0x80070005u), u"Access is denied."},
      {std::make_exception_ptr(wide), ToHResult(0x80071170u), wide.message},
      {std::make_exception_ptr(Win32Exception("Call", 0)), DISP_E_EXCEPTION, u"The operation completed successfully."},
      {std::make_exception_ptr(argument), DISP_E_EXCEPTION, argument.message},
      {std::make_exception_ptr(card), E_FAIL, card.message},
      {std::make_exception_ptr(std::bad_alloc()), E_OUTOFMEMORY,
       u"Not enough memory resources are available to complete this operation."},
      {std::make_exception_ptr(std::out_of_range("map::at")), E_UNEXPECTED, u"map::at"},
      {std::make_exception_ptr(42), E_UNEXPECTED, u"Catastrophic failure"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.message));
    HRESULT status = S_OK;
    try {
      std::rethrow_exception(c.raised);
    } catch (...) {
      status = HandleException(SmartCardServiceIdentity());
    }
    ExpectOnlyReport(status, c.status, c.message);
    EXPECT_EQ(Record()->source, u"KAVRIN.HC.SmartCard.1");
  }
  EXPECT_EQ(HandleException(DocReadServiceIdentity()), E_UNEXPECTED) << "no exception in flight";
  EXPECT_EQ(notifier_.shown.size(), 1u);
}

struct FailingStore : ErrorRecordStore {
  bool Publish(const ServiceIdentity&, const WString&) noexcept override { return false; }
};

// A record that cannot be made keeps the previous one; records are per thread.
TEST_F(ReportingTest, ReportErrorShowsPublishesAndNeverReturnsSuccess) {
  const ServiceIdentity& docRead = DocReadServiceIdentity();
  ExpectOnlyReport(ReportError(docRead, u"Reader name is missing", E_INVALIDARG), E_INVALIDARG, u"Reader name is missing");
  EXPECT_EQ(Record()->interfaceId, docRead.interfaceId);
  EXPECT_EQ(Record()->source, u"KAVRIN.HC.DocRead.1");

  EXPECT_EQ(ReportError(docRead, u"text", S_OK), DISP_E_EXCEPTION);
  EXPECT_EQ(ReportError(docRead, "text", S_OK), DISP_E_EXCEPTION);
  EXPECT_EQ(ReportError(docRead, static_cast<const char16_t*>(nullptr), S_OK), kUnknownErrorStatus);
  EXPECT_EQ(Record()->description, u"Unknown Error");
  EXPECT_EQ(ReportError(docRead, static_cast<const char16_t*>(nullptr), E_FAIL), E_FAIL);
  EXPECT_EQ(ReportError(docRead, "Kartica \xC4\x8D", E_FAIL), E_FAIL);
  EXPECT_EQ(Record()->description, u"Kartica \u010D");
  // A null narrow text is shown, but publishes nothing.
  EXPECT_EQ(ReportError(docRead, static_cast<const char*>(nullptr), E_FAIL), E_POINTER);
  FailingStore failing;
  ErrorRecordStore* previous = InstallErrorRecordStore(&failing);
  EXPECT_EQ(ReportError(docRead, u"second", E_INVALIDARG), E_INVALIDARG);
  InstallErrorRecordStore(previous);
  EXPECT_EQ(Record()->description, u"Kartica \u010D");
  EXPECT_EQ(notifier_.shown.size(), 7u);

  bool otherSawNone = false;
  std::thread([&] { otherSawNone = !ThreadErrorRecordStore::Current().has_value(); }).join();
  EXPECT_TRUE(otherSawNone);
}

// The interface ID a record carries is compared whole: the platform's GUID layout, to the last byte.
TEST(GuidTest, IdentitiesDifferingOnlyInTheirLastBytesAreDifferent) {
  EXPECT_EQ(sizeof(Guid), 16u);
  Guid other = DocReadServiceIdentity().interfaceId;
  for (std::uint8_t& byte : other.data4) {
    byte ^= 1;
    EXPECT_NE(other, DocReadServiceIdentity().interfaceId);
    byte ^= 1;
  }
}

TEST_F(ReportingTest, GetErrorMessageNeverReportsAndTracesTheCodeAsASignedNumber) {
  CUtilitiesService service;
  WString text;
  EXPECT_EQ(service.GetErrorMessage(static_cast<std::int32_t>(0x80070057u), &text), S_OK);
  EXPECT_EQ(text, u"The parameter is incorrect.");
  EXPECT_EQ(traceLines, (std::vector<WString>{u"Enter CUtilitiesService::GetErrorMessage ErrorCode=-2147024809",
                                              u"Exit CUtilitiesService::GetErrorMessage result=0"}));
  EXPECT_EQ(service.GetErrorMessage(5, nullptr), E_POINTER);
  EXPECT_TRUE(notifier_.shown.empty());
  EXPECT_FALSE(Record().has_value());
}

class SmartCardServiceTest : public ReportingTest {
 protected:
  ~SmartCardServiceTest() override {
    EXPECT_EQ(pcsc_.OpenContexts() + pcsc_.OpenCards() + pcsc_.OpenTransactions(), 0u) << "left open";
  }

  CSmartCardService service_;
  WString reader_ = u"caller's value";
};

TEST_F(SmartCardServiceTest, ListsReadersInOrderAndNoServiceOrNoReadersIsAnEmptyList) {
  pcsc_.SetReaders({u"Zeta Reader", u"Alpha Reader"});
  StringList readers;
  EXPECT_EQ(service_.ListReaders(&readers), S_OK);
  EXPECT_EQ(readers, (StringList{u"Zeta Reader", u"Alpha Reader"}));
  EXPECT_EQ(pcsc_.Calls(Call::EstablishContext).at(0).scope, PCSC::kScopeUser);
  const struct { Call call; PCSC::Result code; HRESULT status; } cases[] = {
      {Call::EstablishContext, PCSC::kNoService, S_OK},
      {Call::ListReaders, PCSC::kServiceStopped, S_OK},
      {Call::ListReaders, PCSC::kNoReadersAvailable, S_OK},
      {Call::ListReaders, PCSC::kInternalError, ToHResult(0x80100001u)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    readers = {u"stale"};
    pcsc_.FailNext(c.call, c.code);
    EXPECT_EQ(service_.ListReaders(&readers), c.status);
    EXPECT_EQ(readers.empty(), c.status == S_OK);
    EXPECT_EQ(notifier_.shown.size(), c.status == S_OK ? 0u : 1u);
  }
  EXPECT_EQ(Record()->source, u"KAVRIN.HC.SmartCard.1");
}

TEST_F(SmartCardServiceTest, NullResultsAndAMissingServiceAreReported) {
  EXPECT_EQ(service_.ListReaders(nullptr), E_INVALIDARG);
  EXPECT_EQ(service_.SelectReader(nullptr), E_INVALIDARG);
  EXPECT_EQ(notifier_.shown, (std::vector<WString>{u"Readers parameter cannot be null.", u"Reader name cannot be empty."}));
  EXPECT_TRUE(pcsc_.log().empty());
  pcsc_.FailNext(Call::EstablishContext, PCSC::kNoService);  // unlike ListReaders, SelectReader reports it
  EXPECT_EQ(service_.SelectReader(&reader_), ToHResult(0x8010001Du));
  EXPECT_EQ(notifier_.shown.size(), 3u);
}

// The only reader with a health card is taken without asking, several are offered to the
// user; none, a card that fails in transport or a cancelled choice keep the caller's value.
TEST_F(SmartCardServiceTest, SelectReaderTakesTheOnlyHealthCardOrAsksTheUserAmongSeveral) {
  constexpr int kNotAsked = 9;
  const StringList one = {u"Reader A"}, two = {u"Reader A", u"Reader B"};
  const struct {
    StringList readers;
    std::vector<std::pair<std::uint16_t, const char*>> selections;  // none: the transmission fails
    int choice;  // the user's pick, -1 a cancellation
    HRESULT status;
    WString reader;
  } cases[] = {
      {one, {{1, "6A82"}, {7, "6999"}}, kNotAsked, kSelectionCancelled, u"caller's value"},
      {one, {}, kNotAsked, kSelectionCancelled, u"caller's value"},
      {two, {{1, "6A82"}, {7, "6A82"}, {1, "6A82"}, {7, "9000"}}, kNotAsked, S_OK, u"Reader B"},
      {two, {{1, "9000"}, {1, "9000"}}, 1, S_OK, u"Reader B"},
      {two, {{1, "9000"}, {1, "9000"}}, -1, kSelectionCancelled, u"caller's value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selections.size() * 10 + c.choice);
    pcsc_.SetReaders(c.readers);
    for (const auto& [cardId, statusWord] : c.selections) ExpectSelectApplication(pcsc_, cardId, statusWord);
    if (c.selections.empty()) pcsc_.FailNext(Call::Transmit, PCSC::kRemovedCard);
    StringList offered;
    service_.chooser = [&](const StringList& readers) -> std::optional<std::size_t> {
      offered = readers;
      return c.choice < 0 ? std::nullopt : std::optional<std::size_t>(c.choice);
    };
    reader_ = u"caller's value";
    EXPECT_EQ(service_.SelectReader(&reader_), c.status);
    EXPECT_EQ(reader_, c.reader);
    EXPECT_EQ(offered, c.choice == kNotAsked ? StringList() : c.readers);
    EXPECT_TRUE(pcsc_.ScriptDone());
  }
  EXPECT_EQ(pcsc_.Calls(Call::EstablishContext)[0].scope, PCSC::kScopeSystem);
  EXPECT_TRUE(notifier_.shown.empty());
  EXPECT_FALSE(Record().has_value());
}

const WString kReader = u"Reader A";

class DocReadServiceTest : public ReportingTest {
 protected:
  // A card opened through InitCard: it keeps its context but no connection.
  void Open(std::uint16_t cardId = 1) {
    ExpectBlockRead(pcsc_, cardId, 0x0D00, HeaderBlock(cardId));
    ASSERT_EQ(service_.InitCard(kReader, cardId), S_OK);
    ASSERT_TRUE(pcsc_.ScriptDone());
    EXPECT_EQ(service_.CardId(), cardId);
    EXPECT_EQ(pcsc_.OpenCards() + pcsc_.OpenTransactions(), 0u);
    EXPECT_EQ(pcsc_.OpenContexts(), 1u);
    pcsc_.ClearLog();
  }

  CDocReadService service_;
  WString certificate_ = u"untouched";
  std::unique_ptr<ZK::DocumentBlockObject> document_;
  std::unique_ptr<ZK::FixedPersoBlockObject> fixed_;
  std::unique_ptr<ZK::VariableAdminBlockObject> admin_;
  std::unique_ptr<ZK::VariablePersoBlockObject> perso_;
  // Every operation on a card; a read names its block and the tag an empty block misses,
  // a verification its block and the block's SOD.
  struct Operation {
    WString name;
    std::function<HRESULT()> call;
    std::uint16_t blockId;
    const char16_t* missing;
    std::uint16_t sodId, sodTag;
  };
  const std::vector<Operation> operations_ = {
      {u"CheckCardOrigin", [this] { return service_.CheckCardOrigin(); }, 0, nullptr, 0, 0},
      {u"ReadZKDocumentData", [this] { return service_.ReadZKDocumentData(&document_); }, 0x0D01, u"0x0611", 0, 0},
      {u"ReadZKFixedPersoData", [this] { return service_.ReadZKFixedPersoData(&fixed_); }, 0x0D02, u"0x0621", 0, 0},
      {u"ReadZKVariableAdminData", [this] { return service_.ReadZKVariableAdminData(&admin_); }, 0x0D04, u"0x0640", 0, 0},
      {u"ReadZKVariablePersoData", [this] { return service_.ReadZKVariablePersoData(&perso_); }, 0x0D03, u"0x0630", 0, 0},
      {u"VerifyZKDocumentData", [this] { return service_.VerifyZKDocumentData(&certificate_); }, 0x0D01, nullptr, 0, 0},
      {u"VerifyZKFixedPersoData", [this] { return service_.VerifyZKFixedPersoData(&certificate_); }, 0x0D02, nullptr, 0, 0},
      {u"VerifyZKVariableAdminData", [this] { return service_.VerifyZKVariableAdminData(&certificate_); }, 0x0D04,
       nullptr, 0x0D09, 0x0770},
      {u"VerifyZKVariablePersoData", [this] { return service_.VerifyZKVariablePersoData(&certificate_); }, 0x0D03,
       nullptr, 0x0D06, 0x0760},
  };
};

TEST_F(DocReadServiceTest, WithoutACardEveryOperationFailsBeforeAnyPcscCallAndTracesItsName) {
  for (bool released : {false, true}) {
    if (released) {
      Open();
      EXPECT_EQ(service_.ReleaseCard(), S_OK);
      EXPECT_EQ(service_.ReleaseCard(), S_OK);
      EXPECT_EQ(traceLines.back(), u"Exit CDocReadService::ReleaseCard result=0");
      EXPECT_EQ(pcsc_.OpenContexts(), 0u);
      pcsc_.ClearLog();
    }
    for (const Operation& op : operations_) {
      SCOPED_TRACE(ToUtf8(op.name));
      traceLines.clear();
      ExpectOnlyReport(op.call(), kInitCardRequired, u"InitCard call is required");
      EXPECT_EQ(traceLines, (std::vector<WString>{u"Enter CDocReadService::" + op.name,
                                                  u"Exit CDocReadService::" + op.name + u" result=-2147019873"}));
    }
    EXPECT_TRUE(pcsc_.log().empty());
  }
  EXPECT_FALSE(document_ || fixed_ || admin_ || perso_);
  EXPECT_EQ(certificate_, u"untouched");
}

TEST_F(DocReadServiceTest, RefusedOrFailedInitCardKeepsTheHeldCardAndASuccessfulOneReplacesIt) {
  Open();
  ExpectOnlyReport(service_.InitCard(u"", 1), E_INVALIDARG, u"Reader name is missing");
  EXPECT_TRUE(pcsc_.log().empty());
  pcsc_.FailNext(Call::Connect, PCSC::kNoSmartcard);
  EXPECT_EQ(service_.InitCard(u"Reader B", 1), ToHResult(0x8010000Cu));
  EXPECT_EQ(notifier_.shown.size(), 1u);
  EXPECT_EQ(pcsc_.OpenContexts(), 1u);

  ExpectBlockRead(pcsc_, 1, 0x0D01, DocumentBlock());
  ASSERT_EQ(service_.ReadZKDocumentData(&document_), S_OK);
  EXPECT_EQ(pcsc_.Calls(Call::Connect).back().reader, kReader);
  EXPECT_TRUE(document_);
  Open(7);  // one context left: the first card's is released
}

// The second attempt's failure is the one reported, once, though InitCardVB nests InitCard.
TEST_F(DocReadServiceTest, AnyCardTriesApplicationOneThenSevenAndReportsOnlyTheSecondFailure) {
  ExpectSelectApplication(pcsc_, 1, "6A82");
  ExpectSelectApplication(pcsc_, 7, "6D00");
  ExpectOnlyReport(service_.InitCardVB(kReader, -1), ToHResult(0x80046D00u), u"Card applet returned an error 6D00h");
  EXPECT_EQ(traceLines, (std::vector<WString>{u"Enter CDocReadService::InitCardVB ReaderName=Reader A, AppID=-1",
                                              u"Enter CDocReadService::InitCard ReaderName=Reader A, AppID=65535",
                                              u"Exit CDocReadService::InitCard result=-2147193600",
                                              u"Exit CDocReadService::InitCardVB result=-2147193600"}));
  EXPECT_FALSE(service_.HasCard());
  EXPECT_EQ(pcsc_.OpenContexts(), 0u);

  ExpectSelectApplication(pcsc_, 1, "6A82");
  ExpectBlockRead(pcsc_, 7, 0x0D00, HeaderBlock(7));
  EXPECT_EQ(service_.InitCardVB(kReader, -1), S_OK);  // Basic's -1 is the any card's 0xFFFF
  EXPECT_TRUE(pcsc_.ScriptDone());
  EXPECT_EQ(service_.CardId(), 7);
  EXPECT_TRUE(notifier_.shown.empty()) << "the failed first attempt is not reported";
  EXPECT_EQ(pcsc_.OpenTransactions(), 0u);
  EXPECT_EQ(pcsc_.OpenContexts(), 1u) << "the first attempt's card object is gone";
}

// An empty block of the right ID fails on its own first mandatory element; a verification
// checks the block against its own SOD.
TEST_F(DocReadServiceTest, EachReadAndVerificationTakesItsOwnBlocks) {
  const TestPki pki;
  Open();
  for (const Operation& op : operations_) {
    SCOPED_TRACE(ToUtf8(op.name));
    if (op.missing) {
      ExpectBlockRead(pcsc_, 1, op.blockId, Block(op.blockId, {}));
      ExpectOnlyReport(op.call(), E_FAIL, WString(u"Mandatory element with tag ") + op.missing + u" not found in block");
    } else if (op.sodId) {
      Open();  // a card of its own: the read above left its empty block in the card's cache
      const ByteArray block = Block(op.blockId, {Element(0x06FF, Ascii("block"))});
      ExpectBlockRead(pcsc_, 1, op.sodId, Block(op.sodId, {Element(op.sodTag, pki.SignAttached(Sha256Of(block)))}));
      ExpectBlockRead(pcsc_, 1, op.blockId, block);
      certificate_.clear();
      EXPECT_EQ(op.call(), S_OK);
      EXPECT_EQ(certificate_, ToBase64(pki.CertificateDer()));
    }
    EXPECT_TRUE(pcsc_.ScriptDone());
  }
  EXPECT_FALSE(document_ || fixed_ || admin_ || perso_);
}

// A result slot whose object cannot be made, or refuses the block.
struct FailingSlot : BlockObjectSlot<ZK::DocumentDataBlock> {
  FailingSlot(HRESULT create, HRESULT load) : createStatus(create), loadStatus(load) {}
  HRESULT createStatus, loadStatus;
  bool committed = false, discarded = false;
  HRESULT Create() noexcept override { return createStatus; }
  HRESULT Load(const ZK::DocumentDataBlock&) noexcept override { return loadStatus; }
  void Commit() noexcept override { committed = true; }
  void Discard() noexcept override { discarded = true; }
};

TEST_F(DocReadServiceTest, ResultsThatCannotBeTakenAreReportedAndARefusedBlockIsDropped) {
  Open();
  ExpectOnlyReport(service_.ReadZKDocumentData(static_cast<std::unique_ptr<ZK::DocumentBlockObject>*>(nullptr)),
                   E_POINTER, u"Invalid pointer");
  ExpectOnlyReport(service_.VerifyZKDocumentData(nullptr), E_POINTER, u"Invalid pointer");
  EXPECT_TRUE(pcsc_.log().empty());

  ExpectBlockRead(pcsc_, 1, 0x0D01, DocumentBlock());
  FailingSlot cannotBeMade(ToHResult(0x80040154u), S_OK);
  ExpectOnlyReport(service_.ReadZKDocumentData(cannotBeMade), ToHResult(0x80040154u), u"Object creation was unsuccessful");
  FailingSlot refuses(S_OK, E_INVALIDARG);
  EXPECT_EQ(service_.ReadZKDocumentData(refuses), E_INVALIDARG);
  EXPECT_TRUE(refuses.discarded);
  EXPECT_FALSE(cannotBeMade.committed || refuses.committed);
  EXPECT_TRUE(notifier_.shown.empty()) << "a refused block is not reported";
}

}  // namespace
