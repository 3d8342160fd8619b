// DATE properties: card dates read as their calendar day in every time zone, and
// a written date keeps the calendar day it names. Runs under several TZ settings.
#include <gtest/gtest.h>

#include <limits>

#include "block_bytes.h"
#include "model/variable_perso_block_object.h"

using namespace ZKTest;

namespace {

constexpr double k15March2021 = 44270.0;
constexpr double kSecond = 1.0 / 86400.0;

// Issued on the given day, with or without an expiry date.
ZK::VariablePersoBlockObject Loaded(const char* issued, bool withExpiry) {
  std::vector<ByteArray> elements{Element(0x0630, Ascii("1")), Element(0x0631, Ascii(issued)), Element(0x0633, Ascii("0"))};
  if (withExpiry) elements.push_back(Element(0x0632, Ascii("15032031")));
  ZK::VariablePersoDataBlock block;
  block.Decode(Block(0x0D03, elements));
  ZK::VariablePersoBlockObject object;
  EXPECT_EQ(object.Load(&block), S_OK);
  return object;
}

TEST(BlockObjectDates, ACardDateReadsAsThatDayAtMidnightAndAWrittenOneKeepsItsCalendarDay) {
  auto object = Loaded("15032021", true);
  double date = 0;
  EXPECT_EQ(object.get_DateOfIssue(&date), S_OK);
  EXPECT_EQ(date, k15March2021);
  EXPECT_EQ(object.get_DateOfExpiry(&date), S_OK);
  EXPECT_EQ(date, 47922.0);  // 2031-03-15
  // Before the first file time there is no date to show; the output stays as it was.
  EXPECT_EQ(Loaded("31121600", false).get_DateOfIssue(&date), E_FAIL);
  EXPECT_EQ(date, 47922.0);
  EXPECT_EQ(Loaded("15032021", false).get_DateOfExpiry(&date), E_FAIL);  // absent until set
  for (double value : {k15March2021 + 3723 * kSecond, 2.5, 0.0, -1.25, 2958465.0}) {
    ASSERT_EQ(object.put_DateOfExpiry(value), S_OK) << value;
    EXPECT_EQ(object.get_DateOfExpiry(&date), S_OK);
    EXPECT_NEAR(date, value, kSecond / 2) << value;
  }
  // Early morning and late evening of the same day land on that day in every zone.
  for (double value : {k15March2021 + 0.5 / 24, k15March2021 + 23.5 / 24}) {
    ZK::VariablePersoDataBlock block;
    ASSERT_EQ(object.put_DateOfIssue(value), S_OK);
    ASSERT_EQ(object.Store(&block), S_OK);
    EXPECT_EQ(block.DateOfIssue().GetBytes(), Ascii("15032021")) << value;
  }
}

TEST(BlockObjectDates, ADateWithoutCalendarFormOrBefore1601IsRefusedAndChangesNothing) {
  auto object = Loaded("15032021", false);
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -700000.0,
                     3e6, -109419.0 /* 1600-06-01 */}) {
    EXPECT_EQ(object.put_DateOfIssue(bad), E_FAIL) << bad;
    EXPECT_EQ(object.put_DateOfExpiry(bad), E_FAIL) << bad;
  }
  double date = 0;
  bool specified = true;
  EXPECT_EQ(object.get_DateOfIssue(&date), S_OK);
  EXPECT_EQ(date, k15March2021);
  EXPECT_EQ(object.get_DateOfExpirySpecified(&specified), S_OK);
  EXPECT_FALSE(specified);
}

}  // namespace
