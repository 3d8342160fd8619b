// Card dates: eight ASCII digits DDMMYYYY, read as midnight, kind Utc.
#include <gtest/gtest.h>

#include "block_bytes.h"
#include "model/date_element.h"

using namespace ZKTest;
using TAVQ::DateTime;
using TAVQ::DateTimeKind;

namespace {

ZK::DateElement MandatoryDate() { return {0x0631, 8, ZK::ElementPresence::Mandatory}; }

TEST(DateElement, DecodesDayMonthYearAsUtcMidnightAndEncodesBack) {
  ZK::DateElement element = MandatoryDate();
  element.Decode({0x31, 0x35, 0x30, 0x33, 0x32, 0x30, 0x32, 0x31});
  const DateTime value = element.GetValue();
  EXPECT_EQ(value, DateTime(2021, 3, 15));
  EXPECT_EQ(value.Kind(), DateTimeKind::Utc);
  EXPECT_EQ(value.Hour(), 0);

  TAVQ::ByteArray out;
  element.Encode(out);
  EXPECT_EQ(out, Ascii("15032021"));
}

TEST(DateElement, EncodesTheCalendarDayOfTheValueWithoutTimeZoneConversion) {
  ZK::DateElement element = MandatoryDate();
  element.SetValue(DateTime(1999, 12, 31, 23, 59, 59, 0, DateTimeKind::Local));
  TAVQ::ByteArray out;
  element.Encode(out);
  EXPECT_EQ(out, Ascii("31121999"));
}

TEST(DateElement, ASizeOtherThanEightFails) {
  ZK::DateElement element = MandatoryDate();
  EXPECT_EQ(CardError([&] { element.Decode(Ascii("1503202")); }), "Date element has incorrect size of 7");
  EXPECT_EQ(CardError([&] { element.Decode({}); }), "Date element has incorrect size of 0");
}

TEST(DateElement, TextThatDoesNotGiveThreeNumbersFails) {
  ZK::DateElement element = MandatoryDate();
  EXPECT_EQ(CardError([&] { element.Decode(Ascii("AB032021")); }), "Date element has incorrect format");
  EXPECT_EQ(CardError([&] { element.Decode(Ascii("1503XXXX")); }), "Date element has incorrect format");
  EXPECT_EQ(CardError([&] { element.Decode(Ascii("        ")); }), "Date element has incorrect format");
  // A NUL ends the text for the C library: nothing beyond it or the 8 bytes is read.
  EXPECT_EQ(CardError([&] { element.Decode({'1', '5', '0', '3', 0, '0', '2', '1'}); }),
            "Date element has incorrect format");
}

TEST(DateElement, TheCLibraryPatternRulesApply) {
  ZK::DateElement element = MandatoryDate();
  element.Decode(Ascii("1 3 2021"));  // fields end at a non-digit and skip leading blanks
  EXPECT_EQ(element.GetValue(), DateTime(2021, 3, 1));
}

TEST(DateElement, AnImpossibleCalendarDateFailsInTheDateCode) {
  ZK::DateElement element = MandatoryDate();
  EXPECT_THROW(element.Decode(Ascii("31022021")), TAVQ::ArgumentOutOfRangeException);
  EXPECT_THROW(element.Decode(Ascii("01132021")), TAVQ::ArgumentOutOfRangeException);
  EXPECT_THROW(element.Decode(Ascii("01010000")), TAVQ::ArgumentOutOfRangeException);
  element.Decode(Ascii("29022024"));
  EXPECT_EQ(element.GetValue(), DateTime(2024, 2, 29));
}

TEST(DateElement, AFailedDecodeKeepsTheOptionalElementAbsent) {
  ZK::DateElement element(0x0632, 8, ZK::ElementPresence::Absent);
  const TAVQ::ByteArray bad = Ascii("31022021");
  EXPECT_THROW(element.SetBytes(&bad), TAVQ::ArgumentOutOfRangeException);
  EXPECT_TRUE(element.IsNull());
  EXPECT_EQ(CardError([&] { element.GetValue(); }), "Referenced non-existent optional value with tag 1586");
}

}  // namespace
