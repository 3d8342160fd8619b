// DATE properties: card dates read as their calendar day in every time zone, and
// a written date keeps the calendar day it names. Runs under several TZ settings.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "block_bytes.h"
#include "model/variable_perso_block_object.h"
#include "support/datetime.h"

using namespace ZKTest;

namespace {

constexpr double k15March2021 = 44270.0;
constexpr double kSecond = 1.0 / 86400.0;

ZK::VariablePersoDataBlock PersoBlock(bool withExpiry) {
  ZK::VariablePersoDataBlock block;
  ByteArray expiry = withExpiry ? Element(0x0632, Ascii("15032031")) : ByteArray{};
  block.Decode(Block(0x0D03, {Element(0x0630, Ascii("1")), Element(0x0631, Ascii("15032021")),
                              Element(0x0633, Ascii("0")), expiry}));
  return block;
}

TEST(BlockObjectDates, ACardDateReadsAsThatDayAtMidnight) {
  ZK::VariablePersoBlockObject object;
  const auto block = PersoBlock(true);
  ASSERT_EQ(object.Load(&block), S_OK);
  double date = 0;
  EXPECT_EQ(object.get_DateOfIssue(&date), S_OK);
  EXPECT_EQ(date, k15March2021);
  EXPECT_EQ(object.get_DateOfExpiry(&date), S_OK);
  EXPECT_EQ(date, 47922.0);  // 2031-03-15
}

TEST(BlockObjectDates, AnAbsentOptionalDateFailsUntilSet) {
  ZK::VariablePersoBlockObject object;
  const auto block = PersoBlock(false);
  ASSERT_EQ(object.Load(&block), S_OK);
  bool specified = true;
  double date = 0;
  EXPECT_EQ(object.get_DateOfExpirySpecified(&specified), S_OK);
  EXPECT_FALSE(specified);
  EXPECT_EQ(object.get_DateOfExpiry(&date), E_FAIL);

  EXPECT_EQ(object.put_DateOfExpiry(k15March2021 + 0.5), S_OK);
  EXPECT_EQ(object.get_DateOfExpirySpecified(&specified), S_OK);
  EXPECT_TRUE(specified);
  EXPECT_EQ(object.get_DateOfExpiry(&date), S_OK);
  EXPECT_EQ(date, k15March2021 + 0.5);
}

TEST(BlockObjectDates, AWrittenDateReadsBackToTheSecond) {
  ZK::VariablePersoBlockObject object;
  for (double value : {k15March2021 + 3723 * kSecond, 2.5, 0.0, -1.25, 2958465.0}) {
    ASSERT_EQ(object.put_DateOfIssue(value), S_OK) << value;
    double date = 0;
    EXPECT_EQ(object.get_DateOfIssue(&date), S_OK);
    EXPECT_NEAR(date, value, kSecond / 2) << value;
  }
}

TEST(BlockObjectDates, AWrittenDateIsStoredAsTheCalendarDayItNames) {
  // Early morning and late evening of the same day land on that day in every zone.
  for (double value : {k15March2021 + 0.5 / 24, k15March2021 + 23.5 / 24}) {
    ZK::VariablePersoBlockObject object;
    ASSERT_EQ(object.put_DateOfIssue(value), S_OK);
    ZK::VariablePersoDataBlock block;
    ASSERT_EQ(object.Store(&block), S_OK);
    EXPECT_EQ(block.DateOfIssue().GetBytes(), Ascii("15032021")) << value;
  }
}

TEST(BlockObjectDates, ADateWithoutCalendarFormFailsAndChangesNothing) {
  ZK::VariablePersoBlockObject object;
  const auto block = PersoBlock(false);
  ASSERT_EQ(object.Load(&block), S_OK);
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -700000.0, 3e6}) {
    EXPECT_EQ(object.put_DateOfIssue(bad), E_FAIL) << bad;
    EXPECT_EQ(object.put_DateOfExpiry(bad), E_FAIL) << bad;
  }
  double date = 0;
  EXPECT_EQ(object.get_DateOfIssue(&date), S_OK);
  EXPECT_EQ(date, k15March2021);
  bool specified = true;
  object.get_DateOfExpirySpecified(&specified);
  EXPECT_FALSE(specified);
}

TEST(BlockObjectDates, AWrittenDateBeforeTheFirstFileTimeIsRefusedNotMovedTo1601) {
  TAVQ::SystemTime june1600;
  june1600.wYear = 1600;
  june1600.wMonth = 6;
  june1600.wDay = 1;
  double value = 0;
  ASSERT_TRUE(TAVQ::SystemTimeToVariantTime(june1600, value));
  ZK::VariablePersoBlockObject object;
  const auto block = PersoBlock(false);
  ASSERT_EQ(object.Load(&block), S_OK);
  EXPECT_EQ(object.put_DateOfIssue(value), E_FAIL);
  EXPECT_EQ(object.put_DateOfExpiry(value), E_FAIL);
  double date = 0;
  EXPECT_EQ(object.get_DateOfIssue(&date), S_OK);
  EXPECT_EQ(date, k15March2021);
  bool specified = true;
  EXPECT_EQ(object.get_DateOfExpirySpecified(&specified), S_OK);
  EXPECT_FALSE(specified);
}

TEST(BlockObjectDates, ACardDateBeforeTheFirstFileTimeGivesAFailureStatus) {
  ZK::VariablePersoDataBlock block;
  block.Decode(Block(0x0D03, {Element(0x0630, Ascii("1")), Element(0x0631, Ascii("31121600")),
                              Element(0x0633, Ascii("0"))}));
  ZK::VariablePersoBlockObject object;
  ASSERT_EQ(object.Load(&block), S_OK);
  double date = 123;
  EXPECT_EQ(object.get_DateOfIssue(&date), E_FAIL);
  EXPECT_EQ(date, 123);
}

}  // namespace
