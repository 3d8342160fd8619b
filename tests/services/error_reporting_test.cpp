// What the services report: the status of each failure, the text shown to the user and
// the thread's error record; and the utility that gives the text of any code.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <thread>

#include "service_test_support.h"
#include "services/handle_exception.h"
#include "services/report_error.h"
#include "services/service_status.h"
#include "services/trace_scope.h"
#include "services/utilities_service.h"
#include "support/exception.h"

using namespace TAVQ;

namespace {

class ErrorReportingTest : public ReportingTest {
 protected:
  // The one report since the last call: shown, and recorded with the same text.
  void ExpectOnlyReport(const WString& description) {
    EXPECT_EQ(notifier_.shown, std::vector<WString>{description});
    ASSERT_TRUE(Record().has_value());
    EXPECT_EQ(Record()->description, description);
    notifier_.shown.clear();
  }
};

template <class E>
std::function<void()> Throws(E exception) {
  return [exception] { throw exception; };
}

TEST_F(ErrorReportingTest, EachKindOfExceptionGivesItsStatusAndOneReport) {
  const PCSC::PCSCWin32Exception removed("SCardTransmit", static_cast<std::int32_t>(0x80100069u));
  const Win32Exception wide("Call", 70000);
  const ArgumentOutOfRangeException argument(u"day");
  const CardException card(u"Read document has ID 7, but ID 1 was requested.");
  const struct {
    const char* what;
    std::function<void()> raise;
    HRESULT status;
    WString message;
  } cases[] = {
      {"applet, four digits in capitals", Throws(JavaCard::AppletException(0x0A0B)), ToHResult(0x80040A0Bu),
       u"Card applet returned an error 0A0Bh"},
      {"PC/SC code as it is", Throws(removed), ToHResult(0x80100069u), removed.message},
      {"Win32 code", Throws(Win32Exception("CreateFile", 5)), ToHResult(0x80070005u), u"Access is denied."},
      {"Win32 code past 16 bits", Throws(wide), ToHResult(0x80071170u), wide.message},
      {"Win32 code zero", Throws(Win32Exception("Call", 0)), DISP_E_EXCEPTION, u"The operation completed successfully."},
      {"other of the tree", Throws(argument), DISP_E_EXCEPTION, argument.message},
      {"card", Throws(card), E_FAIL, card.message},
      {"allocation", Throws(std::bad_alloc()), E_OUTOFMEMORY,
       u"Not enough memory resources are available to complete this operation."},
      {"standard", Throws(std::out_of_range("map::at")), E_UNEXPECTED, u"map::at"},
      {"foreign", [] { throw 42; }, E_UNEXPECTED, u"Catastrophic failure"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HRESULT status = S_OK;
    try {
      c.raise();
    } catch (...) {
      status = HandleException(SmartCardServiceIdentity());
    }
    EXPECT_EQ(status, c.status);
    ExpectOnlyReport(c.message);
    EXPECT_EQ(Record()->source, u"KAVRIN.HC.SmartCard.1");
  }
  EXPECT_EQ(HandleException(DocReadServiceIdentity()), E_UNEXPECTED) << "no exception in flight";
  EXPECT_EQ(notifier_.shown.size(), 1u);
}

TEST_F(ErrorReportingTest, ReportErrorShowsPublishesAndNeverReturnsSuccess) {
  const ServiceIdentity& docRead = DocReadServiceIdentity();
  EXPECT_EQ(ReportError(docRead, u"Reader name is missing", E_INVALIDARG), E_INVALIDARG);
  ExpectOnlyReport(u"Reader name is missing");
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
  EXPECT_EQ(Record()->description, u"Kartica \u010D");
  EXPECT_EQ(notifier_.shown.size(), 6u);
}

struct FailingStore : ErrorRecordStore {
  bool Publish(const ServiceIdentity&, const WString&) noexcept override { return false; }
};

TEST_F(ErrorReportingTest, RecordThatCannotBeMadeKeepsThePreviousOneAndRecordsArePerThread) {
  ReportError(DocReadServiceIdentity(), u"first", E_FAIL);
  FailingStore failing;
  ErrorRecordStore* previous = InstallErrorRecordStore(&failing);
  EXPECT_EQ(ReportError(DocReadServiceIdentity(), u"second", E_INVALIDARG), E_INVALIDARG);
  InstallErrorRecordStore(previous);
  EXPECT_EQ(Record()->description, u"first");
  EXPECT_EQ(notifier_.shown.size(), 2u);

  bool otherSawNone = false;
  std::thread([&] { otherSawNone = !ThreadErrorRecordStore::Current().has_value(); }).join();
  EXPECT_TRUE(otherSawNone);
}

std::vector<WString> traceLines;
void CollectTrace(const WString& line) { traceLines.push_back(line); }

TEST_F(ErrorReportingTest, GetErrorMessageNeverReportsAndTracesTheCodeAsASignedNumber) {
  CUtilitiesService service;
  WString text;
  InstallTraceSink(&CollectTrace);
  EXPECT_EQ(service.GetErrorMessage(static_cast<std::int32_t>(0x80070057u), &text), S_OK);
  InstallTraceSink(nullptr);
  EXPECT_EQ(text, u"The parameter is incorrect.");
  EXPECT_EQ(traceLines, (std::vector<WString>{u"Enter CUtilitiesService::GetErrorMessage ErrorCode=-2147024809",
                                              u"Exit CUtilitiesService::GetErrorMessage result=0"}));
  EXPECT_EQ(service.GetErrorMessage(5, nullptr), E_POINTER);
  EXPECT_TRUE(notifier_.shown.empty());
  EXPECT_FALSE(Record().has_value());
}

}  // namespace
