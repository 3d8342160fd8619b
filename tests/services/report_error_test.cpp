#include "services/report_error.h"

#include <gtest/gtest.h>

#include <thread>

#include "recording_notifier.h"
#include "services/service_status.h"

using namespace TAVQ;

namespace {

using ReportErrorTest = ReportingTest;

TEST_F(ReportErrorTest, ShowsThenPublishesAndReturnsTheStatus) {
  EXPECT_EQ(ReportError(DocReadServiceIdentity(), u"Reader name is missing", E_INVALIDARG), E_INVALIDARG);
  ASSERT_EQ(notifier_.shown.size(), 1u);
  EXPECT_EQ(notifier_.shown[0], u"Reader name is missing");
  const auto record = Record();
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->description, u"Reader name is missing");
  EXPECT_EQ(record->interfaceId, DocReadServiceIdentity().interfaceId);
  EXPECT_EQ(record->source, u"KAVRIN.HC.DocRead.1");
}

TEST_F(ReportErrorTest, ZeroStatusBecomesDispatchException) {
  EXPECT_EQ(ReportError(DocReadServiceIdentity(), u"text", S_OK), DISP_E_EXCEPTION);
  EXPECT_EQ(ReportError(DocReadServiceIdentity(), "text", S_OK), DISP_E_EXCEPTION);
}

TEST_F(ReportErrorTest, NullWideDescriptionIsUnknownErrorAndZeroBecomesFacilityFour) {
  EXPECT_EQ(ReportError(DocReadServiceIdentity(), static_cast<const char16_t*>(nullptr), S_OK),
            kUnknownErrorStatus);
  EXPECT_EQ(Record()->description, u"Unknown Error");
  EXPECT_EQ(ReportError(DocReadServiceIdentity(), static_cast<const char16_t*>(nullptr), E_FAIL), E_FAIL);
  EXPECT_EQ(notifier_.shown.size(), 2u);
}

TEST_F(ReportErrorTest, NarrowDescriptionIsConvertedFromTheCodePage) {
  EXPECT_EQ(ReportError(SmartCardServiceIdentity(), "Kartica \xC4\x8D", E_FAIL), E_FAIL);
  EXPECT_EQ(Record()->description, u"Kartica \u010D");
}

TEST_F(ReportErrorTest, NullNarrowDescriptionIsShownButPublishesNothing) {
  EXPECT_EQ(ReportError(DocReadServiceIdentity(), static_cast<const char*>(nullptr), E_FAIL), E_POINTER);
  EXPECT_EQ(notifier_.shown.size(), 1u);
  EXPECT_FALSE(Record().has_value());
}

class FailingStore : public ErrorRecordStore {
 public:
  bool Publish(const ServiceIdentity&, const WString&) noexcept override { return false; }
};

TEST_F(ReportErrorTest, RecordThatCannotBeMadeKeepsThePreviousOneAndTheStatus) {
  ReportError(DocReadServiceIdentity(), u"first", E_FAIL);
  FailingStore failing;
  ErrorRecordStore* previous = InstallErrorRecordStore(&failing);
  EXPECT_EQ(ReportError(DocReadServiceIdentity(), u"second", E_INVALIDARG), E_INVALIDARG);
  InstallErrorRecordStore(previous);
  EXPECT_EQ(Record()->description, u"first");
  EXPECT_EQ(notifier_.shown.size(), 2u);
}

TEST_F(ReportErrorTest, ErrorRecordsArePerThread) {
  ReportError(DocReadServiceIdentity(), u"main thread", E_FAIL);
  bool otherSawNone = false;
  std::thread other([&] { otherSawNone = !ThreadErrorRecordStore::Current().has_value(); });
  other.join();
  EXPECT_TRUE(otherSawNone);
  EXPECT_EQ(Record()->description, u"main thread");
}

}  // namespace
