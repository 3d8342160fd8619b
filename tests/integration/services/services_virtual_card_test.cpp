// The services against the virtual card through the real pcscd, under T=0 and T=1.
// Runs on the bench (tools/bench/with-bench).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "services/doc_read_service.h"
#include "services/error_record.h"
#include "services/service_status.h"
#include "services/smart_card_service.h"
#include "services/user_notifier.h"
#include "services_bench.h"
#include "support/text.h"

using namespace TAVQ;

namespace {

class CountingNotifier : public UserNotifier {
 public:
  void Notify(const WString& description) noexcept override { shown.push_back(description); }
  std::vector<WString> shown;
};

class ServicesOnBenchTest : public ::testing::Test {
 protected:
  ServicesOnBenchTest() {
    Bench::RemoveAllCards();
    ThreadErrorRecordStore::Clear();
  }
  ~ServicesOnBenchTest() override {
    Bench::RemoveAllCards();
    InstallErrorRecordStore(previous_);  // store_ goes with the fixture
  }

  WString Insert(const std::string& arguments = "") {
    Bench::Card("insert " + arguments);
    return FromNarrow(Bench::Card("reader"));
  }

  WString LastDescription() {
    auto record = ThreadErrorRecordStore::Current();
    return record ? record->description : WString(u"(no error record)");
  }

  CountingNotifier notifier_;
  ScopedUserNotifier scoped_{notifier_};
  ThreadErrorRecordStore store_;
  ErrorRecordStore* previous_ = InstallErrorRecordStore(&store_);
};

class FullReadTest : public ServicesOnBenchTest,
                     public ::testing::WithParamInterface<std::tuple<const char*, int>> {};

TEST_P(FullReadTest, ReadsVerifiesAndChecksTheOriginOfEveryBlock) {
  const auto [protocol, cardId] = GetParam();
  const WString reader = Insert(std::string("--protocol ") + protocol + " --card-id " + std::to_string(cardId));
  CDocReadService service;
  ASSERT_EQ(service.InitCard(reader, 0xFFFF), S_OK) << ToNarrow(LastDescription());
  EXPECT_EQ(service.CardId(), cardId);

  std::unique_ptr<ZK::DocumentBlockObject> document;
  std::unique_ptr<ZK::FixedPersoBlockObject> fixed;
  std::unique_ptr<ZK::VariableAdminBlockObject> admin;
  std::unique_ptr<ZK::VariablePersoBlockObject> perso;
  EXPECT_EQ(service.ReadZKDocumentData(&document), S_OK);
  EXPECT_EQ(service.ReadZKFixedPersoData(&fixed), S_OK);
  EXPECT_EQ(service.ReadZKVariableAdminData(&admin), S_OK);
  EXPECT_EQ(service.ReadZKVariablePersoData(&perso), S_OK);
  WString text;
  document->get_ChipSerialNumber(&text);
  EXPECT_EQ(text, u"1A2B3C4D5E6F7081");
  fixed->get_LastNameLatin(&text);
  EXPECT_EQ(text, u"Milutinović");

  std::vector<WString> certificates(4);
  EXPECT_EQ(service.VerifyZKDocumentData(&certificates[0]), S_OK);
  EXPECT_EQ(service.VerifyZKFixedPersoData(&certificates[1]), S_OK);
  EXPECT_EQ(service.VerifyZKVariableAdminData(&certificates[2]), S_OK);
  EXPECT_EQ(service.VerifyZKVariablePersoData(&certificates[3]), S_OK);
  EXPECT_FALSE(certificates[0].empty());
  EXPECT_EQ(std::count(certificates.begin(), certificates.end(), certificates[0]), 4);

  EXPECT_EQ(service.CheckCardOrigin(), S_OK) << ToNarrow(LastDescription());
  EXPECT_EQ(service.ReleaseCard(), S_OK);
  EXPECT_TRUE(notifier_.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(ProtocolsAndApplications, FullReadTest,
                         ::testing::Combine(::testing::Values("T0", "T1"), ::testing::Values(1, 7)));

TEST_F(ServicesOnBenchTest, AnyCardOnAnApplicationSevenCardFirstTriesApplicationOne) {
  const WString reader = Insert("--card-id 7");
  CDocReadService service;
  ASSERT_EQ(service.InitCard(reader, 0xFFFF), S_OK);
  const std::vector<std::string> log = Bench::ApduLog();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[0], "> 00A404000DF38100000253455256535A4B0100");
  EXPECT_EQ(log[1], "< 6A82");
  EXPECT_EQ(log[2], "> 00A404000FF381000002534552534F564F5A4B0100");
}

TEST_F(ServicesOnBenchTest, ASecondReadOfABlockSendsNothing) {
  const WString reader = Insert();
  CDocReadService service;
  ASSERT_EQ(service.InitCard(reader, 1), S_OK);
  std::unique_ptr<ZK::VariablePersoBlockObject> first, second;
  ASSERT_EQ(service.ReadZKVariablePersoData(&first), S_OK);
  const std::size_t exchanged = Bench::ApduLog().size();
  ASSERT_EQ(service.ReadZKVariablePersoData(&second), S_OK);
  EXPECT_EQ(Bench::ApduLog().size(), exchanged);
  EXPECT_NE(first.get(), second.get());
}

TEST_F(ServicesOnBenchTest, FaultsOfTheCardReachTheCallerWithTheirMessages) {
  struct Case {
    std::string fault;
    HRESULT status;
    WString description;
  };
  const std::vector<Case> cases = {
      {"tamper-block=0D03", E_FAIL, u"Hash of block with ID 0xD03 does not match the hash in corresponding SOD block"},
      {"bad-sod-signature=0D09", E_FAIL, u"PKCS7 structure has invalid signature"},
      {"bad-aa-signature", E_FAIL, u"Active authentication error"},
      {"chip-serial-mismatch", E_FAIL,
       u"Chip serial number (1A2B3C4D5E6F707E) is not equal to chip serial number written in document block "
       u"(1A2B3C4D5E6F7081)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    Bench::Card("remove");
    const WString reader = Insert("--fault " + c.fault);
    CDocReadService service;
    ASSERT_EQ(service.InitCard(reader, 1), S_OK);
    WString certificate;
    HRESULT status = S_OK;
    if (c.fault.rfind("tamper-block", 0) == 0) {
      status = service.VerifyZKVariablePersoData(&certificate);
    } else if (c.fault.rfind("bad-sod-signature", 0) == 0) {
      status = service.VerifyZKVariableAdminData(&certificate);
    } else {
      status = service.CheckCardOrigin();
    }
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(LastDescription(), c.description);
  }
  EXPECT_EQ(notifier_.shown.size(), cases.size());
}

TEST_F(ServicesOnBenchTest, MissingMandatoryElementGivesNoBlockObject) {
  const WString reader = Insert("--fault missing-element=0x0611");
  CDocReadService service;
  ASSERT_EQ(service.InitCard(reader, 1), S_OK);
  std::unique_ptr<ZK::DocumentBlockObject> document;
  EXPECT_EQ(service.ReadZKDocumentData(&document), E_FAIL);
  EXPECT_EQ(LastDescription(), u"Mandatory element with tag 0x0611 not found in block");
  EXPECT_FALSE(document);
}

TEST_F(ServicesOnBenchTest, RemovedCardIsAPcscFailureWithItsOwnCode) {
  const WString reader = Insert();
  CDocReadService service;
  ASSERT_EQ(service.InitCard(reader, 1), S_OK);
  Bench::Card("remove");
  std::unique_ptr<ZK::DocumentBlockObject> document;
  const HRESULT status = service.ReadZKDocumentData(&document);
  EXPECT_EQ(static_cast<std::uint32_t>(status) & 0xFFFF0000u, 0x80100000u) << std::hex << status;
  EXPECT_EQ(notifier_.shown.size(), 1u);
}

TEST_F(ServicesOnBenchTest, ListsBothVirtualReadersInOrder) {
  StringList readers;
  ASSERT_EQ(CSmartCardService().ListReaders(&readers), S_OK);
  EXPECT_EQ(readers, (StringList{u"Virtual PCD 00 00", u"Virtual PCD 00 01"}));
}

TEST_F(ServicesOnBenchTest, SelectsTheOnlyReaderHoldingAHealthCard) {
  Bench::Card("insert --slot 1 --card-id 7");
  const WString expected = FromNarrow(Bench::Card("reader --slot 1"));
  WString reader;
  EXPECT_EQ(CSmartCardService().SelectReader(&reader), S_OK);
  EXPECT_EQ(reader, expected);
}

TEST_F(ServicesOnBenchTest, SelectionWithoutAnyCardIsCancelledWithoutReport) {
  WString reader = u"unchanged";
  EXPECT_EQ(CSmartCardService().SelectReader(&reader), kSelectionCancelled);
  EXPECT_EQ(reader, u"unchanged");
  EXPECT_TRUE(notifier_.shown.empty());
}

}  // namespace
