#include "services/trace_scope.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/exception.h"

using namespace TAVQ;

namespace {

std::vector<WString> lines;
void Collect(const WString& line) { lines.push_back(line); }

class TraceScopeTest : public ::testing::Test {
 protected:
  TraceScopeTest() { lines.clear(); }
  ~TraceScopeTest() override { InstallTraceSink(nullptr); }
};

TEST_F(TraceScopeTest, WithoutSinkNothingIsWritten) {
  { TraceScope trace("CDocReadService::ReleaseCard"); }
  EXPECT_TRUE(lines.empty());
}

TEST_F(TraceScopeTest, EnterAndExitLinesCarryNameArgumentsAndResult) {
  InstallTraceSink(&Collect);
  {
    TraceScope trace("CDocReadService::InitCard", "ReaderName=%S, AppID=%d", u"Reader 0", 65535);
    trace.Result(E_INVALIDARG);
  }
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], u"Enter CDocReadService::InitCard ReaderName=Reader 0, AppID=65535");
  EXPECT_EQ(lines[1], u"Exit CDocReadService::InitCard result=-2147024809");
}

TEST_F(TraceScopeTest, NameOnlyScopeStartsWithResultZero) {
  InstallTraceSink(&Collect);
  { TraceScope trace("CDocReadService::ReleaseCard"); }
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], u"Enter CDocReadService::ReleaseCard");
  EXPECT_EQ(lines[1], u"Exit CDocReadService::ReleaseCard result=0");
}

TEST_F(TraceScopeTest, ExitLineIsWrittenWhenAnExceptionUnwindsTheScope) {
  InstallTraceSink(&Collect);
  try {
    TraceScope trace("Scope");
    throw CardException(u"x");
  } catch (const CardException&) {
  }
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], u"Exit Scope result=0");
}

}  // namespace
