#include "services/utilities_service.h"

#include <gtest/gtest.h>

#include <vector>

#include "recording_notifier.h"
#include "services/trace_scope.h"
#include "support/exception.h"

using namespace TAVQ;

namespace {

class UtilitiesServiceTest : public ReportingTest {
 protected:
  WString Message(std::int32_t code) {
    WString text = u"stale";
    EXPECT_EQ(service_.GetErrorMessage(code, &text), S_OK);
    return text;
  }
  CUtilitiesService service_;
};

TEST_F(UtilitiesServiceTest, KnownCodesGiveThePlatformTextWithoutLineBreaks) {
  EXPECT_EQ(Message(0), u"The operation completed successfully.");
  EXPECT_EQ(Message(static_cast<std::int32_t>(0x80070057u)), u"The parameter is incorrect.");
  const WString removed = Message(static_cast<std::int32_t>(0x80100069u));
  EXPECT_NE(removed, u"An unrecognized Win32Exception was thrown.");
  EXPECT_EQ(removed.find(u"\r\n"), WString::npos);
}

TEST_F(UtilitiesServiceTest, UnknownCodesGiveTheUnrecognizedText) {
  EXPECT_EQ(Message(0x12345678), u"An unrecognized Win32Exception was thrown.");
  EXPECT_EQ(Message(-1), u"An unrecognized Win32Exception was thrown.");
}

TEST_F(UtilitiesServiceTest, NeverReportsAndRefusesANullResult) {
  EXPECT_EQ(service_.GetErrorMessage(5, nullptr), E_POINTER);
  Message(0x12345678);
  EXPECT_TRUE(notifier_.shown.empty());
  EXPECT_FALSE(Record().has_value());
}

std::vector<WString> traceLines;
void CollectTrace(const WString& line) { traceLines.push_back(line); }

TEST_F(UtilitiesServiceTest, TracesTheCodeAsASignedNumber) {
  traceLines.clear();
  InstallTraceSink(&CollectTrace);
  Message(static_cast<std::int32_t>(0x80100069u));
  InstallTraceSink(nullptr);
  EXPECT_EQ(traceLines, (std::vector<WString>{u"Enter CUtilitiesService::GetErrorMessage ErrorCode=-2146434967",
                                              u"Exit CUtilitiesService::GetErrorMessage result=0"}));
}

}  // namespace
