// SmartCardService over the transport's reader list and selection, with the scripted
// PC/SC in place of the platform's.
#include "services/smart_card_service.h"

#include <gtest/gtest.h>

#include "service_test_support.h"
#include "services/service_status.h"

using namespace TAVQ;
using namespace CardScript;
using Fakes::Call;

namespace {

class SmartCardServiceTest : public ReportingTest {
 protected:
  ~SmartCardServiceTest() override {
    EXPECT_EQ(pcsc_.OpenContexts() + pcsc_.OpenCards() + pcsc_.OpenTransactions(), 0u) << "left open";
  }

  Fakes::FakePCSC pcsc_;
  CSmartCardService service_;
  WString reader_ = u"caller's value";
};

TEST_F(SmartCardServiceTest, ListsReadersInResourceManagerOrderWithUserScope) {
  pcsc_.SetReaders({u"Zeta Reader", u"Alpha Reader"});
  StringList readers;
  EXPECT_EQ(service_.ListReaders(&readers), S_OK);
  EXPECT_EQ(readers, (StringList{u"Zeta Reader", u"Alpha Reader"}));
  ASSERT_EQ(pcsc_.Count(Call::EstablishContext), 1u);
  EXPECT_EQ(pcsc_.Calls(Call::EstablishContext)[0].scope, PCSC::kScopeUser);
}

TEST_F(SmartCardServiceTest, NoServiceOrNoReadersIsAnEmptyListAndOtherFailuresAreReported) {
  const struct {
    Call call;
    PCSC::Result code;
    HRESULT status;
  } cases[] = {
      {Call::EstablishContext, PCSC::kNoService, S_OK},
      {Call::ListReaders, PCSC::kServiceStopped, S_OK},
      {Call::ListReaders, PCSC::kNoReadersAvailable, S_OK},
      {Call::ListReaders, PCSC::kInternalError, ToHResult(0x80100001u)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    StringList readers = {u"stale"};
    pcsc_.FailNext(c.call, c.code);
    EXPECT_EQ(service_.ListReaders(&readers), c.status);
    EXPECT_EQ(readers.empty(), c.status == S_OK);
    EXPECT_EQ(notifier_.shown.size(), c.status == S_OK ? 0u : 1u);
  }
  EXPECT_EQ(Record()->source, u"KAVRIN.HC.SmartCard.1");
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
  service_.chooser = [](const StringList&) -> std::optional<std::size_t> {
    ADD_FAILURE() << "asked";
    return 0;
  };
  EXPECT_EQ(service_.SelectReader(&reader_), S_OK);
  EXPECT_EQ(reader_, u"Reader B");
  EXPECT_TRUE(pcsc_.ScriptDone());
  EXPECT_EQ(pcsc_.Calls(Call::EstablishContext)[0].scope, PCSC::kScopeSystem);
  EXPECT_TRUE(notifier_.shown.empty());
}

TEST_F(SmartCardServiceTest, SeveralHealthCardsAreChosenByTheUser) {
  pcsc_.SetReaders({u"Reader A", u"Reader B"});
  for (std::optional<std::size_t> choice : {std::optional<std::size_t>(1), std::optional<std::size_t>()}) {
    ExpectSelectApplication(pcsc_, 1);
    ExpectSelectApplication(pcsc_, 1);
    StringList offered;
    service_.chooser = [&](const StringList& readers) {
      offered = readers;
      return choice;
    };
    EXPECT_EQ(service_.SelectReader(&reader_), choice ? S_OK : kSelectionCancelled);
    EXPECT_EQ(offered, (StringList{u"Reader A", u"Reader B"}));
    EXPECT_EQ(reader_, u"Reader B");  // a cancelled choice leaves the last one
  }
}

TEST_F(SmartCardServiceTest, NoHealthCardIsACancellationWithoutReport) {
  pcsc_.SetReaders({u"Reader A"});
  ExpectSelectApplication(pcsc_, 1, "6A82");
  ExpectSelectApplication(pcsc_, 7, "6999");
  EXPECT_EQ(service_.SelectReader(&reader_), kSelectionCancelled);
  pcsc_.FailNext(Call::Transmit, PCSC::kRemovedCard);  // nor is a card that fails in transport
  EXPECT_EQ(service_.SelectReader(&reader_), kSelectionCancelled);
  EXPECT_TRUE(pcsc_.ScriptDone());
  EXPECT_EQ(reader_, u"caller's value");
  EXPECT_TRUE(notifier_.shown.empty());
  EXPECT_FALSE(Record().has_value());
}

TEST_F(SmartCardServiceTest, MissingSmartCardServiceIsReportedBySelectReader) {
  pcsc_.FailNext(Call::EstablishContext, PCSC::kNoService);
  EXPECT_EQ(service_.SelectReader(&reader_), ToHResult(0x8010001Du));
  EXPECT_EQ(notifier_.shown.size(), 1u);
}

}  // namespace
