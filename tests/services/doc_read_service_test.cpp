// DocReadService over the real card engine and transport, with the scripted PC/SC in
// place of the platform's.
#include "services/doc_read_service.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "card/test_pki.h"
#include "service_test_support.h"
#include "services/service_status.h"
#include "services/trace_scope.h"
#include "support/text.h"

using namespace TAVQ;
using namespace CardScript;
using Fakes::Call;

namespace {

const WString kReader = u"Reader A";
const std::vector<std::uint16_t> kAllBlocks = {0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04, 0x0D05, 0x0D06, 0x0D09};

std::vector<WString> traceLines;
void CollectTrace(const WString& line) { traceLines.push_back(line); }

class DocReadServiceTest : public ReportingTest {
 protected:
  DocReadServiceTest() {
    traceLines.clear();
    InstallTraceSink(&CollectTrace);
  }
  ~DocReadServiceTest() override { InstallTraceSink(nullptr); }

  // A card opened through InitCard: it keeps its context but no connection.
  void Open(std::uint16_t cardId = 1, const std::vector<std::uint16_t>& present = kAllBlocks) {
    ExpectBlockRead(pcsc_, cardId, 0x0D00, HeaderBlock(cardId == 7 ? "07" : "01", present));
    ASSERT_EQ(service_.InitCard(kReader, cardId), S_OK);
    ASSERT_TRUE(pcsc_.ScriptDone());
    EXPECT_EQ(service_.CardId(), cardId);
    EXPECT_EQ(pcsc_.OpenCards() + pcsc_.OpenTransactions(), 0u);
    EXPECT_EQ(pcsc_.OpenContexts(), 1u);
    pcsc_.ClearLog();
  }

  void ExpectOnlyReport(HRESULT status, HRESULT expected, const WString& description) {
    EXPECT_EQ(status, expected);
    EXPECT_EQ(notifier_.shown, std::vector<WString>{description});
    ASSERT_TRUE(Record().has_value());
    EXPECT_EQ(Record()->description, description);
    notifier_.shown.clear();
  }

  Fakes::FakePCSC pcsc_;
  CDocReadService service_;
  WString certificate_ = u"untouched";
  std::unique_ptr<ZK::DocumentBlockObject> document_;
  std::unique_ptr<ZK::FixedPersoBlockObject> fixed_;
  std::unique_ptr<ZK::VariableAdminBlockObject> admin_;
  std::unique_ptr<ZK::VariablePersoBlockObject> perso_;
};

TEST_F(DocReadServiceTest, WithoutACardEveryOperationFailsBeforeAnyPcscCallAndTracesItsName) {
  const std::vector<std::pair<WString, std::function<HRESULT()>>> operations = {
      {u"CheckCardOrigin", [&] { return service_.CheckCardOrigin(); }},
      {u"ReadZKDocumentData", [&] { return service_.ReadZKDocumentData(&document_); }},
      {u"ReadZKFixedPersoData", [&] { return service_.ReadZKFixedPersoData(&fixed_); }},
      {u"ReadZKVariableAdminData", [&] { return service_.ReadZKVariableAdminData(&admin_); }},
      {u"ReadZKVariablePersoData", [&] { return service_.ReadZKVariablePersoData(&perso_); }},
      {u"VerifyZKDocumentData", [&] { return service_.VerifyZKDocumentData(&certificate_); }},
      {u"VerifyZKFixedPersoData", [&] { return service_.VerifyZKFixedPersoData(&certificate_); }},
      {u"VerifyZKVariableAdminData", [&] { return service_.VerifyZKVariableAdminData(&certificate_); }},
      {u"VerifyZKVariablePersoData", [&] { return service_.VerifyZKVariablePersoData(&certificate_); }},
  };
  for (bool released : {false, true}) {
    if (released) {
      Open();
      EXPECT_EQ(service_.ReleaseCard(), S_OK);
      EXPECT_EQ(service_.ReleaseCard(), S_OK);
      EXPECT_EQ(traceLines.back(), u"Exit CDocReadService::ReleaseCard result=0");
      EXPECT_EQ(pcsc_.OpenContexts(), 0u);
      pcsc_.ClearLog();
    }
    for (const auto& [name, operation] : operations) {
      SCOPED_TRACE(ToUtf8(name));
      traceLines.clear();
      ExpectOnlyReport(operation(), kInitCardRequired, u"InitCard call is required");
      EXPECT_EQ(traceLines, (std::vector<WString>{u"Enter CDocReadService::" + name,
                                                  u"Exit CDocReadService::" + name + u" result=-2147019873"}));
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
  WString insurer;
  OleDate issued = 0;
  document_->get_InsurerName(&insurer);
  document_->get_DateOfIssue(&issued);
  EXPECT_EQ(insurer, u"Fond zdravstvenog osiguranja \u010Ca\u010Dak");
  EXPECT_EQ(issued, 44270.0);
  Open(7);  // one context left: the first card's is released
}

TEST_F(DocReadServiceTest, AnyCardTriesApplicationOneThenSeven) {
  ExpectSelectApplication(pcsc_, 1, "6A82");
  ExpectBlockRead(pcsc_, 7, 0x0D00, HeaderBlock("07", kAllBlocks));
  EXPECT_EQ(service_.InitCardVB(kReader, -1), S_OK);  // Basic's -1 is the any card's 0xFFFF
  EXPECT_TRUE(pcsc_.ScriptDone());
  EXPECT_EQ(service_.CardId(), 7);
  EXPECT_TRUE(notifier_.shown.empty()) << "the failed first attempt is not reported";
  EXPECT_EQ(pcsc_.OpenTransactions(), 0u);
  EXPECT_EQ(pcsc_.OpenContexts(), 1u) << "the first attempt's card object is gone";
}

TEST_F(DocReadServiceTest, AnyCardOnACardOfNeitherReportsTheSecondAttemptAndHoldsNoCard) {
  ExpectSelectApplication(pcsc_, 1, "6A82");
  ExpectSelectApplication(pcsc_, 7, "6D00");
  ExpectOnlyReport(service_.InitCard(kReader, 0xFFFF), ToHResult(0x80046D00u), u"Card applet returned an error 6D00h");
  EXPECT_FALSE(service_.HasCard());
  EXPECT_EQ(pcsc_.OpenContexts(), 0u);
}

TEST_F(DocReadServiceTest, EachReadTakesItsOwnBlockAndGivesNoObjectForABadOne) {
  // An empty block of the right ID fails on its own first mandatory element.
  const struct {
    std::function<HRESULT()> read;
    std::uint16_t blockId;
    const char16_t* missing;
  } reads[] = {
      {[&] { return service_.ReadZKDocumentData(&document_); }, 0x0D01, u"0x0611"},
      {[&] { return service_.ReadZKFixedPersoData(&fixed_); }, 0x0D02, u"0x0621"},
      {[&] { return service_.ReadZKVariableAdminData(&admin_); }, 0x0D04, u"0x0640"},
      {[&] { return service_.ReadZKVariablePersoData(&perso_); }, 0x0D03, u"0x0630"},
  };
  Open();
  for (const auto& r : reads) {
    SCOPED_TRACE(r.blockId);
    ExpectBlockRead(pcsc_, 1, r.blockId, Block(r.blockId, {}));
    ExpectOnlyReport(r.read(), E_FAIL, WString(u"Mandatory element with tag ") + r.missing + u" not found in block");
    EXPECT_TRUE(pcsc_.ScriptDone());
  }
  EXPECT_FALSE(document_ || fixed_ || admin_ || perso_);
}

TEST_F(DocReadServiceTest, VerificationChecksTheBlockAgainstItsOwnSod) {
  const struct {
    HRESULT (CDocReadService::*verify)(WString*);
    std::uint16_t sodId, sodTag, blockId;
  } cases[] = {
      {&CDocReadService::VerifyZKVariableAdminData, 0x0D09, 0x0770, 0x0D04},
      {&CDocReadService::VerifyZKVariablePersoData, 0x0D06, 0x0760, 0x0D03},
  };
  const TestPki pki;
  Open();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.blockId);
    const ByteArray block = Block(c.blockId, {Element(0x06FF, Ascii("block"))});
    ExpectBlockRead(pcsc_, 1, c.sodId, Block(c.sodId, {Element(c.sodTag, pki.SignAttached(Sha256Of(block)))}));
    ExpectBlockRead(pcsc_, 1, c.blockId, block);
    WString certificate;
    EXPECT_EQ((service_.*c.verify)(&certificate), S_OK);
    EXPECT_EQ(certificate, ToBase64(pki.CertificateDer()));
    EXPECT_TRUE(pcsc_.ScriptDone());
  }
}

TEST_F(DocReadServiceTest, NullResultsAreRefusedWithoutTouchingTheCard) {
  Open();
  ExpectOnlyReport(service_.ReadZKDocumentData(static_cast<std::unique_ptr<ZK::DocumentBlockObject>*>(nullptr)),
                   E_POINTER, u"Invalid pointer");
  ExpectOnlyReport(service_.VerifyZKDocumentData(nullptr), E_POINTER, u"Invalid pointer");
  EXPECT_TRUE(pcsc_.log().empty());
}

// A result slot whose object cannot be made, or refuses the block.
struct FailingSlot : BlockObjectSlot<ZK::DocumentDataBlock> {
  HRESULT createStatus = S_OK;
  HRESULT loadStatus = S_OK;
  bool committed = false;
  bool discarded = false;
  HRESULT Create() noexcept override { return createStatus; }
  HRESULT Load(const ZK::DocumentDataBlock&) noexcept override { return loadStatus; }
  void Commit() noexcept override { committed = true; }
  void Discard() noexcept override { discarded = true; }
};

TEST_F(DocReadServiceTest, ObjectThatCannotBeMadeIsReportedAndOneThatRefusesTheBlockIsDropped) {
  Open();
  ExpectBlockRead(pcsc_, 1, 0x0D01, DocumentBlock());
  FailingSlot cannotBeMade;
  cannotBeMade.createStatus = ToHResult(0x80040154u);
  ExpectOnlyReport(service_.ReadZKDocumentData(cannotBeMade), ToHResult(0x80040154u),
                   u"Object creation was unsuccessful");
  FailingSlot refuses;
  refuses.loadStatus = E_INVALIDARG;
  EXPECT_EQ(service_.ReadZKDocumentData(refuses), E_INVALIDARG);
  EXPECT_TRUE(refuses.discarded);
  EXPECT_FALSE(cannotBeMade.committed || refuses.committed);
  EXPECT_TRUE(notifier_.shown.empty()) << "a refused block is not reported";
}

TEST_F(DocReadServiceTest, TraceShowsTheBasicScopeAroundInitCardAndTheNestedCallReportsOnce) {
  ExpectSelectApplication(pcsc_, 1, "6A82");
  ExpectSelectApplication(pcsc_, 7, "6A82");
  EXPECT_EQ(service_.InitCardVB(kReader, -1), ToHResult(0x80046A82u));
  EXPECT_EQ(traceLines, (std::vector<WString>{
                            u"Enter CDocReadService::InitCardVB ReaderName=Reader A, AppID=-1",
                            u"Enter CDocReadService::InitCard ReaderName=Reader A, AppID=65535",
                            u"Exit CDocReadService::InitCard result=-2147194238",
                            u"Exit CDocReadService::InitCardVB result=-2147194238",
                        }));
  EXPECT_EQ(notifier_.shown.size(), 1u);
}

}  // namespace
