#include "services/handle_exception.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "recording_notifier.h"
#include "services/service_status.h"
#include "support/exception.h"

using namespace TAVQ;

namespace {

template <class E>
HRESULT Handle(const E& exception, const ServiceIdentity& reporter = DocReadServiceIdentity()) {
  try {
    throw exception;
  } catch (...) {
    return HandleException(reporter);
  }
}

class HandleExceptionTest : public ReportingTest {
 protected:
  // The description of the one report that the last call made.
  WString OnlyReport() {
    EXPECT_EQ(notifier_.shown.size(), 1u);
    auto record = Record();
    EXPECT_TRUE(record.has_value());
    if (!record || notifier_.shown.empty()) return WString();
    EXPECT_EQ(record->description, notifier_.shown.back());
    return record->description;
  }
};

TEST_F(HandleExceptionTest, AppletStatusWordBecomesFacilityFourStatusAndNarrowText) {
  EXPECT_EQ(Handle(JavaCard::AppletException(0x6A82)), ToHResult(0x80046A82u));
  EXPECT_EQ(OnlyReport(), u"Card applet returned an error 6A82h");

  notifier_.shown.clear();
  EXPECT_EQ(Handle(JavaCard::AppletException(0x6282)), ToHResult(0x80046282u));
  EXPECT_EQ(OnlyReport(), u"Card applet returned an error 6282h");
}

TEST_F(HandleExceptionTest, AppletStatusWordIsPrintedInUpperCaseWithFourDigits) {
  EXPECT_EQ(Handle(JavaCard::AppletException(0x0A0B)), ToHResult(0x80040A0Bu));
  EXPECT_EQ(OnlyReport(), u"Card applet returned an error 0A0Bh");
}

TEST_F(HandleExceptionTest, PcscCodePassesUnchangedWithThePlatformText) {
  const PCSC::PCSCWin32Exception removed("SCardTransmit", static_cast<std::int32_t>(0x80100069u));
  EXPECT_EQ(Handle(removed), ToHResult(0x80100069u));
  EXPECT_EQ(OnlyReport(), removed.message);
}

TEST_F(HandleExceptionTest, PositiveWin32CodeBecomesFacilitySevenStatus) {
  EXPECT_EQ(Handle(Win32Exception("CreateFile", 5)), ToHResult(0x80070005u));
  EXPECT_EQ(OnlyReport(), u"Access is denied.");
}

TEST_F(HandleExceptionTest, Win32CodeAboveSixteenBitsKeepsOnlyItsLowBits) {
  EXPECT_EQ(Handle(Win32Exception("Call", 70000)), ToHResult(0x80071170u));
}

TEST_F(HandleExceptionTest, Win32CodeZeroBecomesDispatchException) {
  EXPECT_EQ(Handle(Win32Exception("Call", 0)), DISP_E_EXCEPTION);
  EXPECT_EQ(OnlyReport(), u"The operation completed successfully.");
}

TEST_F(HandleExceptionTest, OtherExceptionsOfTheTreeGiveDispatchExceptionWithTheFullMessage) {
  EXPECT_EQ(Handle(ArgumentOutOfRangeException(u"day")), DISP_E_EXCEPTION);
  EXPECT_EQ(OnlyReport(), u"Specified argument was out of the range of valid values.\r\nParameter Name: day");

  notifier_.shown.clear();
  EXPECT_EQ(Handle(Security::Cryptography::X509::X509Exception(u"Certificate is not initialized.")),
            DISP_E_EXCEPTION);
  EXPECT_EQ(OnlyReport(), u"Certificate is not initialized.");
}

TEST_F(HandleExceptionTest, CardExceptionIsAlwaysEFailWithItsMessage) {
  EXPECT_EQ(Handle(CardException(u"Read document has ID 7, but ID 1 was requested.")), E_FAIL);
  EXPECT_EQ(OnlyReport(), u"Read document has ID 7, but ID 1 was requested.");
}

TEST_F(HandleExceptionTest, RecordCarriesTheInterfaceIdAndTheProgIdOfTheReporter) {
  Handle(CardException(u"x"), SmartCardServiceIdentity());
  const auto record = Record();
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->interfaceId, SmartCardServiceIdentity().interfaceId);
  EXPECT_EQ(record->source, u"KAVRIN.HC.SmartCard.1");

  Handle(CardException(u"y"), DocReadServiceIdentity());
  EXPECT_EQ(Record()->interfaceId, DocReadServiceIdentity().interfaceId);
  EXPECT_EQ(Record()->source, u"KAVRIN.HC.DocRead.1");
}

TEST_F(HandleExceptionTest, AllocationFailureBecomesOutOfMemory) {
  EXPECT_EQ(Handle(std::bad_alloc()), E_OUTOFMEMORY);
  EXPECT_EQ(OnlyReport(), u"Not enough memory resources are available to complete this operation.");
}

TEST_F(HandleExceptionTest, ForeignExceptionsNeverEscape) {
  EXPECT_EQ(Handle(std::out_of_range("map::at")), E_UNEXPECTED);
  EXPECT_EQ(OnlyReport(), u"map::at");

  notifier_.shown.clear();
  EXPECT_EQ(Handle(42), E_UNEXPECTED);
  EXPECT_EQ(OnlyReport(), u"Catastrophic failure");
}

TEST_F(HandleExceptionTest, WithoutAnExceptionInFlightItReportsUnexpected) {
  EXPECT_EQ(HandleException(DocReadServiceIdentity()), E_UNEXPECTED);
  EXPECT_EQ(notifier_.shown.size(), 1u);
}

}  // namespace
