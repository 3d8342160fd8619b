// DocReadService over the real card engine and transport, with the scripted PC/SC in
// place of the platform's.
#include "services/doc_read_service.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "fakes/fake_pcsc.h"
#include "health_card_script.h"
#include "recording_notifier.h"
#include "services/service_status.h"
#include "services/trace_scope.h"
#include "card/test_pki.h"
#include "support/datetime.h"
#include "support/exception.h"
#include "support/text.h"
#include "transport/pcsc_constants.h"

using namespace TAVQ;
using namespace CardScript;
using Fakes::Call;

namespace {

const WString kReader = u"Reader A";
const std::vector<std::uint16_t> kAllBlocks = {0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04, 0x0D05, 0x0D06, 0x0D09};

class DocReadServiceTest : public ReportingTest {
 protected:
  // A card of the given application opened through InitCard.
  void Open(std::uint16_t cardId = 1) {
    ExpectOpen(pcsc_, cardId, HeaderBlock(cardId == 7 ? "07" : "01", kAllBlocks));
    ASSERT_EQ(service_.InitCard(kReader, cardId), S_OK);
    ASSERT_TRUE(pcsc_.ScriptDone());
  }

  void ExpectOnlyReport(HRESULT status, HRESULT expected, const WString& description) {
    EXPECT_EQ(status, expected);
    ASSERT_EQ(notifier_.shown.size(), 1u);
    EXPECT_EQ(notifier_.shown[0], description);
    ASSERT_TRUE(Record().has_value());
    EXPECT_EQ(Record()->description, description);
    notifier_.shown.clear();
  }

  Fakes::FakePCSC pcsc_;
  CDocReadService service_;
};

TEST_F(DocReadServiceTest, CardOperationsWithoutCardFailBeforeAnyPcscCall) {
  WString certificate = u"untouched";
  std::unique_ptr<ZK::DocumentBlockObject> document;
  std::unique_ptr<ZK::FixedPersoBlockObject> fixed;
  std::unique_ptr<ZK::VariableAdminBlockObject> admin;
  std::unique_ptr<ZK::VariablePersoBlockObject> perso;
  const std::vector<std::function<HRESULT()>> operations = {
      [&] { return service_.CheckCardOrigin(); },
      [&] { return service_.ReadZKDocumentData(&document); },
      [&] { return service_.ReadZKFixedPersoData(&fixed); },
      [&] { return service_.ReadZKVariableAdminData(&admin); },
      [&] { return service_.ReadZKVariablePersoData(&perso); },
      [&] { return service_.VerifyZKDocumentData(&certificate); },
      [&] { return service_.VerifyZKFixedPersoData(&certificate); },
      [&] { return service_.VerifyZKVariableAdminData(&certificate); },
      [&] { return service_.VerifyZKVariablePersoData(&certificate); },
  };
  for (const auto& operation : operations) {
    ExpectOnlyReport(operation(), kInitCardRequired, u"InitCard call is required");
  }
  EXPECT_TRUE(pcsc_.log().empty());
  EXPECT_FALSE(document || fixed || admin || perso);
  EXPECT_EQ(certificate, u"untouched");
}

TEST_F(DocReadServiceTest, ReleasedCardIsLikeNoCardAndReleaseTwiceSucceeds) {
  Open();
  EXPECT_EQ(service_.ReleaseCard(), S_OK);
  EXPECT_EQ(service_.ReleaseCard(), S_OK);
  EXPECT_EQ(pcsc_.OpenContexts(), 0u);
  pcsc_.ClearLog();

  std::unique_ptr<ZK::DocumentBlockObject> document;
  ExpectOnlyReport(service_.ReadZKDocumentData(&document), kInitCardRequired, u"InitCard call is required");
  EXPECT_TRUE(pcsc_.log().empty());
}

TEST_F(DocReadServiceTest, InitCardLeavesNoConnectionOrTransactionOpen) {
  Open();
  EXPECT_EQ(pcsc_.OpenCards(), 0u);
  EXPECT_EQ(pcsc_.OpenTransactions(), 0u);
  EXPECT_EQ(pcsc_.OpenContexts(), 1u);  // the card object's own, until ReleaseCard
  EXPECT_EQ(service_.CardId(), 1);
  EXPECT_TRUE(notifier_.shown.empty());
}

TEST_F(DocReadServiceTest, EmptyReaderNameIsRefusedAndKeepsTheHeldCard) {
  Open();
  pcsc_.ClearLog();
  ExpectOnlyReport(service_.InitCard(u"", 1), E_INVALIDARG, u"Reader name is missing");
  EXPECT_TRUE(pcsc_.log().empty());

  ExpectBlockRead(pcsc_, 1, 0x0D01, DocumentBlock());
  std::unique_ptr<ZK::DocumentBlockObject> document;
  EXPECT_EQ(service_.ReadZKDocumentData(&document), S_OK);
  EXPECT_TRUE(pcsc_.ScriptDone());
}

TEST_F(DocReadServiceTest, AnyCardTriesApplicationOneThenSeven) {
  ExpectSelectApplication(pcsc_, 1, "6A82");
  ExpectOpen(pcsc_, 7, HeaderBlock("07", kAllBlocks));
  EXPECT_EQ(service_.InitCard(kReader, 0xFFFF), S_OK);
  EXPECT_TRUE(pcsc_.ScriptDone());
  EXPECT_EQ(service_.CardId(), 7);
  EXPECT_TRUE(notifier_.shown.empty()) << "the failed first attempt is not reported";
  EXPECT_EQ(pcsc_.OpenTransactions(), 0u);
  EXPECT_EQ(pcsc_.OpenContexts(), 1u) << "the first attempt's card object is gone";
}

TEST_F(DocReadServiceTest, AnyCardOnACardOfNeitherReportsTheSecondAttempt) {
  ExpectSelectApplication(pcsc_, 1, "6A82");
  ExpectSelectApplication(pcsc_, 7, "6D00");
  ExpectOnlyReport(service_.InitCard(kReader, 0xFFFF), ToHResult(0x80046D00u),
                   u"Card applet returned an error 6D00h");
  EXPECT_FALSE(service_.HasCard());
  EXPECT_EQ(pcsc_.OpenContexts(), 0u);
}

TEST_F(DocReadServiceTest, WrongDocumentIdIsReported) {
  ExpectOpen(pcsc_, 1, HeaderBlock("07", kAllBlocks));
  ExpectOnlyReport(service_.InitCard(kReader, 1), E_FAIL, u"Read document has ID 7, but ID 1 was requested.");
  EXPECT_FALSE(service_.HasCard());
}

TEST_F(DocReadServiceTest, InvalidCardIdIsReported) {
  ExpectOnlyReport(service_.InitCard(kReader, 2), E_FAIL, u"Number 2 is not valid value for card ID");
  EXPECT_TRUE(pcsc_.SentCommands().empty());
}

TEST_F(DocReadServiceTest, VbFormTakesTheSameSixteenBits) {
  ExpectSelectApplication(pcsc_, 1, "6A82");
  ExpectOpen(pcsc_, 7, HeaderBlock("07", kAllBlocks));
  EXPECT_EQ(service_.InitCardVB(kReader, -1), S_OK);
  EXPECT_EQ(service_.CardId(), 7);

  ExpectOpen(pcsc_, 7, HeaderBlock("07", kAllBlocks));
  EXPECT_EQ(service_.InitCardVB(kReader, 7), S_OK);
  EXPECT_TRUE(pcsc_.ScriptDone());
}

TEST_F(DocReadServiceTest, FailedSecondInitCardKeepsTheFirstCard) {
  Open();
  pcsc_.FailNext(Call::Connect, PCSC::kNoSmartcard);
  const HRESULT status = service_.InitCard(u"Reader B", 1);
  EXPECT_EQ(status, ToHResult(0x8010000Cu));
  ASSERT_EQ(notifier_.shown.size(), 1u);
  EXPECT_EQ(Record()->description, notifier_.shown[0]);
  notifier_.shown.clear();
  EXPECT_EQ(pcsc_.OpenContexts(), 1u);

  ExpectBlockRead(pcsc_, 1, 0x0D01, DocumentBlock());
  std::unique_ptr<ZK::DocumentBlockObject> document;
  EXPECT_EQ(service_.ReadZKDocumentData(&document), S_OK);
  EXPECT_EQ(pcsc_.Calls(Call::Connect).back().reader, kReader);
}

TEST_F(DocReadServiceTest, SuccessfulSecondInitCardReplacesTheFirstCard) {
  Open(1);
  Open(7);
  EXPECT_EQ(service_.CardId(), 7);
  EXPECT_EQ(pcsc_.OpenContexts(), 1u);
}

TEST_F(DocReadServiceTest, ReadingABlockTwiceTalksToTheCardOnceAndGivesTwoEqualObjects) {
  Open();
  ExpectBlockRead(pcsc_, 1, 0x0D01, DocumentBlock());
  std::unique_ptr<ZK::DocumentBlockObject> first;
  std::unique_ptr<ZK::DocumentBlockObject> second;
  ASSERT_EQ(service_.ReadZKDocumentData(&first), S_OK);
  const std::size_t commands = pcsc_.SentCommands().size();
  ASSERT_EQ(service_.ReadZKDocumentData(&second), S_OK);
  EXPECT_EQ(pcsc_.SentCommands().size(), commands);
  EXPECT_EQ(pcsc_.Count(Call::Connect), 2u) << "one for the header block, one for the document block";

  ASSERT_TRUE(first && second);
  EXPECT_NE(first.get(), second.get());
  WString a, b;
  OleDate issuedA = 0, issuedB = 0;
  first->get_InsurerName(&a);
  second->get_InsurerName(&b);
  first->get_DateOfIssue(&issuedA);
  second->get_DateOfIssue(&issuedB);
  EXPECT_EQ(a, u"Fond zdravstvenog osiguranja \u010Cačak");
  EXPECT_EQ(a, b);
  EXPECT_EQ(issuedA, 44270.0);
  EXPECT_EQ(issuedA, issuedB);
}

TEST_F(DocReadServiceTest, BlockMissingAMandatoryElementGivesNoObject) {
  Open();
  ExpectBlockRead(pcsc_, 1, 0x0D01, DocumentBlockWithoutInsurerName());
  std::unique_ptr<ZK::DocumentBlockObject> document;
  ExpectOnlyReport(service_.ReadZKDocumentData(&document), E_FAIL,
                   u"Mandatory element with tag 0x0611 not found in block");
  EXPECT_FALSE(document);
}

TEST_F(DocReadServiceTest, BlockNotDeclaredPresentIsRefusedBeforeItsSelection) {
  ExpectOpen(pcsc_, 1, HeaderBlock("01", {0x0D00, 0x0D01}));
  ASSERT_EQ(service_.InitCard(kReader, 1), S_OK);
  pcsc_.ClearLog();
  std::unique_ptr<ZK::FixedPersoBlockObject> fixed;
  ExpectOnlyReport(service_.ReadZKFixedPersoData(&fixed), E_FAIL,
                   u"Card block with ID 3330 is not declared as present in the card");
  EXPECT_TRUE(pcsc_.SentCommands().empty());
  EXPECT_EQ(pcsc_.OpenTransactions(), 0u);
  EXPECT_EQ(pcsc_.OpenCards(), 0u);
}

TEST_F(DocReadServiceTest, VerificationGivesTheSignerCertificateOfTheBlocksSod) {
  // Variable personal data is block 0x0D03, covered by SOD 0x0D06 at hash position 0.
  const TestPki pki;
  const ByteArray perso = VariablePersoBlock();
  Open();
  ExpectBlockRead(pcsc_, 1, 0x0D06, Block(0x0D06, {Element(0x0760, pki.SignAttached(Sha256Of(perso)))}));
  ExpectBlockRead(pcsc_, 1, 0x0D03, perso);
  WString certificate;
  EXPECT_EQ(service_.VerifyZKVariablePersoData(&certificate), S_OK);
  EXPECT_EQ(certificate, ToBase64(pki.CertificateDer()));
  EXPECT_TRUE(pcsc_.ScriptDone());
  EXPECT_TRUE(notifier_.shown.empty());
}

TEST_F(DocReadServiceTest, EachMethodReadsAndVerifiesItsOwnBlock) {
  // An empty block of the right ID fails on its own first mandatory element.
  struct Read {
    std::function<HRESULT()> read;
    std::uint16_t blockId;
    const char16_t* missing;
  };
  std::unique_ptr<ZK::DocumentBlockObject> document;
  std::unique_ptr<ZK::FixedPersoBlockObject> fixed;
  std::unique_ptr<ZK::VariableAdminBlockObject> admin;
  std::unique_ptr<ZK::VariablePersoBlockObject> perso;
  const Read reads[] = {
      {[&] { return service_.ReadZKDocumentData(&document); }, 0x0D01, u"0x0611"},
      {[&] { return service_.ReadZKFixedPersoData(&fixed); }, 0x0D02, u"0x0621"},
      {[&] { return service_.ReadZKVariableAdminData(&admin); }, 0x0D04, u"0x0640"},
      {[&] { return service_.ReadZKVariablePersoData(&perso); }, 0x0D03, u"0x0630"},
  };
  Open();
  for (const Read& r : reads) {
    ExpectBlockRead(pcsc_, 1, r.blockId, Block(r.blockId, {}));
    ExpectOnlyReport(r.read(), E_FAIL, WString(u"Mandatory element with tag ") + r.missing + u" not found in block");
    EXPECT_TRUE(pcsc_.ScriptDone()) << std::hex << r.blockId;
  }
  // The two variable blocks have SODs of their own.
  struct Verify {
    HRESULT (CDocReadService::*verify)(WString*);
    std::uint16_t sodId, sodTag, blockId;
  } const verifies[] = {
      {&CDocReadService::VerifyZKVariableAdminData, 0x0D09, 0x0770, 0x0D04},
      {&CDocReadService::VerifyZKVariablePersoData, 0x0D06, 0x0760, 0x0D03},
  };
  const TestPki pki;
  for (const Verify& v : verifies) {
    CDocReadService service;
    ExpectOpen(pcsc_, 1, HeaderBlock("01", kAllBlocks));
    ASSERT_EQ(service.InitCard(kReader, 1), S_OK);
    const ByteArray block = Block(v.blockId, {Element(0x06FF, Ascii("block"))});
    ExpectBlockRead(pcsc_, 1, v.sodId, Block(v.sodId, {Element(v.sodTag, pki.SignAttached(Sha256Of(block)))}));
    ExpectBlockRead(pcsc_, 1, v.blockId, block);
    WString certificate;
    EXPECT_EQ((service.*v.verify)(&certificate), S_OK) << std::hex << v.blockId;
    EXPECT_EQ(certificate, ToBase64(pki.CertificateDer()));
    EXPECT_TRUE(pcsc_.ScriptDone());
  }
}

TEST_F(DocReadServiceTest, VerificationOfAChangedBlockIsReported) {
  const TestPki pki;
  ByteArray perso = VariablePersoBlock();
  const ByteArray signedHash = Sha256Of(perso);
  perso.back() ^= 1;
  Open();
  ExpectBlockRead(pcsc_, 1, 0x0D06, Block(0x0D06, {Element(0x0760, pki.SignAttached(signedHash))}));
  ExpectBlockRead(pcsc_, 1, 0x0D03, perso);
  WString certificate = u"untouched";
  ExpectOnlyReport(service_.VerifyZKVariablePersoData(&certificate), E_FAIL,
                   u"Hash of block with ID 0xD03 does not match the hash in corresponding SOD block");
  EXPECT_EQ(certificate, u"untouched");
}

TEST_F(DocReadServiceTest, VerificationNeedsTheSodDeclaredPresent) {
  ExpectOpen(pcsc_, 1, HeaderBlock("01", {0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04}));
  ASSERT_EQ(service_.InitCard(kReader, 1), S_OK);
  WString certificate;
  ExpectOnlyReport(service_.VerifyZKVariablePersoData(&certificate), E_FAIL,
                   u"Card block with ID 3334 is not declared as present in the card");
}

TEST_F(DocReadServiceTest, NullResultsAreRefusedWithoutTouchingTheCard) {
  Open();
  pcsc_.ClearLog();
  ExpectOnlyReport(service_.ReadZKDocumentData(static_cast<std::unique_ptr<ZK::DocumentBlockObject>*>(nullptr)),
                   E_POINTER, u"Invalid pointer");
  ExpectOnlyReport(service_.VerifyZKDocumentData(nullptr), E_POINTER, u"Invalid pointer");
  EXPECT_TRUE(pcsc_.log().empty());
}

// A result slot whose object cannot be made, or refuses the block.
class FailingSlot : public BlockObjectSlot<ZK::DocumentDataBlock> {
 public:
  HRESULT createStatus = S_OK;
  HRESULT loadStatus = S_OK;
  bool committed = false;
  bool discarded = false;
  HRESULT Create() noexcept override { return createStatus; }
  HRESULT Load(const ZK::DocumentDataBlock&) noexcept override { return loadStatus; }
  void Commit() noexcept override { committed = true; }
  void Discard() noexcept override { discarded = true; }
};

TEST_F(DocReadServiceTest, ObjectThatCannotBeCreatedIsReportedWithItsStatus) {
  Open();
  ExpectBlockRead(pcsc_, 1, 0x0D01, DocumentBlock());
  FailingSlot slot;
  slot.createStatus = ToHResult(0x80040154u);
  ExpectOnlyReport(service_.ReadZKDocumentData(slot), ToHResult(0x80040154u), u"Object creation was unsuccessful");
  EXPECT_FALSE(slot.committed);
}

TEST_F(DocReadServiceTest, ObjectThatRefusesTheBlockIsDroppedWithoutAReport) {
  Open();
  ExpectBlockRead(pcsc_, 1, 0x0D01, DocumentBlock());
  FailingSlot slot;
  slot.loadStatus = E_INVALIDARG;
  EXPECT_EQ(service_.ReadZKDocumentData(slot), E_INVALIDARG);
  EXPECT_TRUE(slot.discarded);
  EXPECT_FALSE(slot.committed);
  EXPECT_TRUE(notifier_.shown.empty());
}

std::vector<WString> traceLines;
void CollectTrace(const WString& line) { traceLines.push_back(line); }

TEST_F(DocReadServiceTest, TraceShowsTheVbScopeAroundInitCardWithBothArgumentForms) {
  traceLines.clear();
  InstallTraceSink(&CollectTrace);
  ExpectSelectApplication(pcsc_, 1, "6A82");
  ExpectSelectApplication(pcsc_, 7, "6A82");
  const HRESULT status = service_.InitCardVB(kReader, -1);
  InstallTraceSink(nullptr);
  EXPECT_EQ(traceLines, (std::vector<WString>{
                            u"Enter CDocReadService::InitCardVB ReaderName=Reader A, AppID=-1",
                            u"Enter CDocReadService::InitCard ReaderName=Reader A, AppID=65535",
                            u"Exit CDocReadService::InitCard result=-2147194238",
                            u"Exit CDocReadService::InitCardVB result=-2147194238",
                        }));
  EXPECT_EQ(status, ToHResult(0x80046A82u));
  EXPECT_EQ(notifier_.shown.size(), 1u) << "the nested call reports once";
}

TEST_F(DocReadServiceTest, EveryMethodTracesItsOwnNameAndStatus) {
  traceLines.clear();
  InstallTraceSink(&CollectTrace);
  WString certificate;
  std::unique_ptr<ZK::DocumentBlockObject> document;
  std::unique_ptr<ZK::FixedPersoBlockObject> fixed;
  std::unique_ptr<ZK::VariableAdminBlockObject> admin;
  std::unique_ptr<ZK::VariablePersoBlockObject> perso;
  service_.CheckCardOrigin();
  service_.ReadZKDocumentData(&document);
  service_.VerifyZKDocumentData(&certificate);
  service_.ReadZKFixedPersoData(&fixed);
  service_.VerifyZKFixedPersoData(&certificate);
  service_.ReadZKVariableAdminData(&admin);
  service_.VerifyZKVariableAdminData(&certificate);
  service_.ReadZKVariablePersoData(&perso);
  service_.VerifyZKVariablePersoData(&certificate);
  service_.ReleaseCard();
  InstallTraceSink(nullptr);

  std::vector<WString> expected;
  for (const char16_t* method :
       {u"CheckCardOrigin", u"ReadZKDocumentData", u"VerifyZKDocumentData", u"ReadZKFixedPersoData",
        u"VerifyZKFixedPersoData", u"ReadZKVariableAdminData", u"VerifyZKVariableAdminData",
        u"ReadZKVariablePersoData", u"VerifyZKVariablePersoData"}) {
    expected.push_back(u"Enter CDocReadService::" + WString(method));
    expected.push_back(u"Exit CDocReadService::" + WString(method) + u" result=-2147019873");
  }
  expected.push_back(u"Enter CDocReadService::ReleaseCard");
  expected.push_back(u"Exit CDocReadService::ReleaseCard result=0");
  EXPECT_EQ(traceLines, expected);
}

}  // namespace
