// SmartCardService over the transport's reader list and selection, with the scripted
// PC/SC in place of the platform's.
#include "services/smart_card_service.h"

#include <gtest/gtest.h>

#include "fakes/fake_pcsc.h"
#include "health_card_script.h"
#include "recording_notifier.h"
#include "services/service_status.h"
#include "support/exception.h"
#include "services/trace_scope.h"
#include "transport/pcsc_constants.h"

using namespace TAVQ;
using namespace CardScript;
using Fakes::Call;

namespace {

class SmartCardServiceTest : public ReportingTest {
 protected:
  void ExpectNothingLeftOpen() {
    EXPECT_EQ(pcsc_.OpenContexts(), 0u);
    EXPECT_EQ(pcsc_.OpenCards(), 0u);
    EXPECT_EQ(pcsc_.OpenTransactions(), 0u);
  }

  Fakes::FakePCSC pcsc_;
  CSmartCardService service_;
};

TEST_F(SmartCardServiceTest, ListsReadersInResourceManagerOrderWithUserScope) {
  pcsc_.SetReaders({u"Zeta Reader", u"Alpha Reader"});
  StringList readers;
  EXPECT_EQ(service_.ListReaders(&readers), S_OK);
  EXPECT_EQ(readers, (StringList{u"Zeta Reader", u"Alpha Reader"}));
  ASSERT_EQ(pcsc_.Count(Call::EstablishContext), 1u);
  EXPECT_EQ(pcsc_.Calls(Call::EstablishContext)[0].scope, PCSC::kScopeUser);
  ExpectNothingLeftOpen();
}

TEST_F(SmartCardServiceTest, NoServiceAndNoReadersGiveAnEmptyListWithoutReport) {
  StringList readers = {u"stale"};
  pcsc_.FailNext(Call::EstablishContext, PCSC::kNoService);
  EXPECT_EQ(service_.ListReaders(&readers), S_OK);
  EXPECT_TRUE(readers.empty());

  readers = {u"stale"};
  pcsc_.FailNext(Call::ListReaders, PCSC::kServiceStopped);
  EXPECT_EQ(service_.ListReaders(&readers), S_OK);
  EXPECT_TRUE(readers.empty());

  readers = {u"stale"};
  pcsc_.FailNext(Call::ListReaders, PCSC::kNoReadersAvailable);
  EXPECT_EQ(service_.ListReaders(&readers), S_OK);
  EXPECT_TRUE(readers.empty());
  EXPECT_TRUE(notifier_.shown.empty());
  ExpectNothingLeftOpen();
}

TEST_F(SmartCardServiceTest, OtherListFailuresAreReportedWithTheirPcscCode) {
  StringList readers = {u"kept"};
  pcsc_.FailNext(Call::ListReaders, PCSC::kInternalError);
  EXPECT_EQ(service_.ListReaders(&readers), ToHResult(0x80100001u));
  ASSERT_EQ(notifier_.shown.size(), 1u);
  EXPECT_EQ(Record()->source, u"KAVRIN.HC.SmartCard.1");
  EXPECT_EQ(readers, StringList{u"kept"});
  ExpectNothingLeftOpen();
}

TEST_F(SmartCardServiceTest, NullResultsAreArgumentErrors) {
  EXPECT_EQ(service_.ListReaders(nullptr), E_INVALIDARG);
  EXPECT_EQ(service_.SelectReader(nullptr), E_INVALIDARG);
  EXPECT_EQ(notifier_.shown, (std::vector<WString>{u"Readers parameter cannot be null.", u"Reader name cannot be empty."}));
  EXPECT_TRUE(pcsc_.log().empty());
}

TEST_F(SmartCardServiceTest, SelectsTheOnlyReaderWithAHealthCardWithoutAsking) {
  pcsc_.SetReaders({u"Reader A", u"Reader B"});
  // Reader A: another kind of card; reader B: a card of application 7 only.
  ExpectSelectApplication(pcsc_, 1, "6A82");
  ExpectSelectApplication(pcsc_, 7, "6A82");
  ExpectSelectApplication(pcsc_, 1, "6A82");
  ExpectSelectApplication(pcsc_, 7, "9000");
  bool asked = false;
  service_.chooser = [&](const StringList&) -> std::optional<std::size_t> {
    asked = true;
    return 0;
  };
  WString reader;
  EXPECT_EQ(service_.SelectReader(&reader), S_OK);
  EXPECT_EQ(reader, u"Reader B");
  EXPECT_FALSE(asked);
  EXPECT_TRUE(pcsc_.ScriptDone());
  EXPECT_EQ(pcsc_.Calls(Call::EstablishContext)[0].scope, PCSC::kScopeSystem);
  EXPECT_EQ(pcsc_.Count(Call::BeginTransaction), pcsc_.Count(Call::EndTransaction));
  EXPECT_TRUE(notifier_.shown.empty());
  ExpectNothingLeftOpen();
}

TEST_F(SmartCardServiceTest, NothingQualifyingIsACancellationWithoutReport) {
  pcsc_.SetReaders({u"Reader A"});
  ExpectSelectApplication(pcsc_, 1, "6A82");
  ExpectSelectApplication(pcsc_, 7, "6999");
  WString reader = u"caller's value";
  EXPECT_EQ(service_.SelectReader(&reader), kSelectionCancelled);
  EXPECT_EQ(reader, u"caller's value");
  EXPECT_TRUE(notifier_.shown.empty());
  EXPECT_FALSE(Record().has_value());
  ExpectNothingLeftOpen();
}

TEST_F(SmartCardServiceTest, CardThatFailsInTransportIsNeverOffered) {
  pcsc_.SetReaders({u"Reader A"});
  pcsc_.FailNext(Call::Transmit, PCSC::kRemovedCard);
  WString reader;
  EXPECT_EQ(service_.SelectReader(&reader), kSelectionCancelled);
  EXPECT_TRUE(notifier_.shown.empty());
  ExpectNothingLeftOpen();
}

TEST_F(SmartCardServiceTest, SeveralHealthCardsAreChosenByTheUser) {
  pcsc_.SetReaders({u"Reader A", u"Reader B"});
  ExpectSelectApplication(pcsc_, 1, "9000");
  ExpectSelectApplication(pcsc_, 1, "9000");
  StringList offered;
  service_.chooser = [&](const StringList& readers) -> std::optional<std::size_t> {
    offered = readers;
    return 1;
  };
  WString reader;
  EXPECT_EQ(service_.SelectReader(&reader), S_OK);
  EXPECT_EQ(offered, (StringList{u"Reader A", u"Reader B"}));
  EXPECT_EQ(reader, u"Reader B");

  ExpectSelectApplication(pcsc_, 1, "9000");
  ExpectSelectApplication(pcsc_, 1, "9000");
  service_.chooser = [](const StringList&) -> std::optional<std::size_t> { return std::nullopt; };
  EXPECT_EQ(service_.SelectReader(&reader), kSelectionCancelled);
  ExpectNothingLeftOpen();
}

TEST_F(SmartCardServiceTest, MissingSmartCardServiceIsReportedBySelectReader) {
  pcsc_.FailNext(Call::EstablishContext, PCSC::kNoService);
  WString reader;
  EXPECT_EQ(service_.SelectReader(&reader), ToHResult(0x8010001Du));
  ASSERT_EQ(notifier_.shown.size(), 1u);
  EXPECT_NE(notifier_.shown[0].find(u"ervice"), WString::npos);  // the platform's own text
}

std::vector<WString> traceLines;
void CollectTrace(const WString& line) { traceLines.push_back(line); }

TEST_F(SmartCardServiceTest, BothMethodsTraceTheirNames) {
  traceLines.clear();
  InstallTraceSink(&CollectTrace);
  StringList readers;
  WString reader = u"R";
  service_.ListReaders(&readers);
  service_.SelectReader(&reader);
  InstallTraceSink(nullptr);
  EXPECT_EQ(traceLines, (std::vector<WString>{
                            u"Enter CSmartCardService::ListReaders",
                            u"Exit CSmartCardService::ListReaders result=0",
                            u"Enter CSmartCardService::SelectReader ReaderName=R",
                            u"Exit CSmartCardService::SelectReader result=-2147023673",
                        }));
}

}  // namespace
