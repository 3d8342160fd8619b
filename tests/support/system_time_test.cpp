#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "support/system_time.h"

using namespace TAVQ;

namespace {

SystemTime Make(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
  SystemTime st;
  st.wYear = static_cast<std::uint16_t>(year);
  st.wMonth = static_cast<std::uint16_t>(month);
  st.wDay = static_cast<std::uint16_t>(day);
  st.wHour = static_cast<std::uint16_t>(hour);
  st.wMinute = static_cast<std::uint16_t>(minute);
  st.wSecond = static_cast<std::uint16_t>(second);
  st.wMilliseconds = static_cast<std::uint16_t>(ms);
  return st;
}

void ExpectFields(const SystemTime& st, int year, int month, int day, int hour, int minute, int second, int ms) {
  EXPECT_EQ(st.wYear, year);
  EXPECT_EQ(st.wMonth, month);
  EXPECT_EQ(st.wDay, day);
  EXPECT_EQ(st.wHour, hour);
  EXPECT_EQ(st.wMinute, minute);
  EXPECT_EQ(st.wSecond, second);
  EXPECT_EQ(st.wMilliseconds, ms);
}

OleDate ToDate(const SystemTime& st) {
  OleDate date = -9999999.0;
  EXPECT_TRUE(SystemTimeToVariantTime(st, date));
  return date;
}

SystemTime FromDate(OleDate date) {
  SystemTime st;
  EXPECT_TRUE(VariantTimeToSystemTime(date, st)) << date;
  return st;
}

}  // namespace

TEST(FileTimeConversionTest, EpochAndKnownInstants) {
  std::uint64_t ft = 1;
  ASSERT_TRUE(SystemTimeToFileTime(Make(1601, 1, 1), ft));
  EXPECT_EQ(ft, 0u);
  // 1970-01-01 is 11644473600 seconds after the file-time epoch.
  ASSERT_TRUE(SystemTimeToFileTime(Make(1970, 1, 1, 0, 0, 1, 250), ft));
  EXPECT_EQ(ft, 116444736000000000u + 12500000u);

  SystemTime st;
  ASSERT_TRUE(FileTimeToSystemTime(116444736000000000u + 12500000u + 9999u, st));
  ExpectFields(st, 1970, 1, 1, 0, 0, 1, 250);
  EXPECT_EQ(st.wDayOfWeek, 4);  // Thursday
  ASSERT_TRUE(FileTimeToSystemTime(0, st));
  ExpectFields(st, 1601, 1, 1, 0, 0, 0, 0);
  EXPECT_EQ(st.wDayOfWeek, 1);  // Monday
}

TEST(FileTimeConversionTest, RangeOfTheWindowsFunctions) {
  SystemTime st = Make(2000, 1, 1);
  // The top bit set is refused and the output left alone.
  EXPECT_FALSE(FileTimeToSystemTime(0x8000000000000000u, st));
  EXPECT_EQ(st.wYear, 2000);
  ASSERT_TRUE(FileTimeToSystemTime(0x7FFFFFFFFFFFFFFFu, st));
  EXPECT_EQ(st.wYear, 30828);

  std::uint64_t ft = 42;
  EXPECT_FALSE(SystemTimeToFileTime(Make(1600, 12, 31, 23, 59, 59, 999), ft));
  EXPECT_FALSE(SystemTimeToFileTime(Make(30828, 1, 1), ft));
  EXPECT_TRUE(SystemTimeToFileTime(Make(30827, 12, 31), ft));
  EXPECT_FALSE(SystemTimeToFileTime(Make(2023, 2, 29), ft));
  EXPECT_FALSE(SystemTimeToFileTime(Make(2024, 13, 1), ft));
  EXPECT_FALSE(SystemTimeToFileTime(Make(2024, 1, 0), ft));
  EXPECT_FALSE(SystemTimeToFileTime(Make(2024, 1, 1, 24), ft));
  EXPECT_FALSE(SystemTimeToFileTime(Make(2024, 1, 1, 0, 60), ft));
  EXPECT_FALSE(SystemTimeToFileTime(Make(2024, 1, 1, 0, 0, 60), ft));
  EXPECT_FALSE(SystemTimeToFileTime(Make(2024, 1, 1, 0, 0, 0, 1000), ft));
}

TEST(FileTimeConversionTest, RoundTripKeepsEveryField) {
  for (const SystemTime& in : {Make(2024, 2, 29, 23, 59, 59, 999), Make(1601, 12, 31, 1, 2, 3, 4),
                               Make(9999, 12, 31, 23, 59, 59, 999), Make(2100, 3, 1, 12)}) {
    std::uint64_t ft = 0;
    SystemTime out;
    ASSERT_TRUE(SystemTimeToFileTime(in, ft));
    ASSERT_TRUE(FileTimeToSystemTime(ft, out));
    ExpectFields(out, in.wYear, in.wMonth, in.wDay, in.wHour, in.wMinute, in.wSecond, in.wMilliseconds);
  }
}

TEST(VariantTimeTest, CardDateAndEpoch) {
  EXPECT_EQ(ToDate(Make(2021, 3, 15)), 44270.0);
  EXPECT_EQ(ToDate(Make(1899, 12, 30)), 0.0);
  EXPECT_EQ(ToDate(Make(1900, 1, 1, 6)), 2.25);
  ExpectFields(FromDate(44270.0), 2021, 3, 15, 0, 0, 0, 0);
  EXPECT_EQ(FromDate(44270.0).wDayOfWeek, 1);  // Monday
  ExpectFields(FromDate(44270.75), 2021, 3, 15, 18, 0, 0, 0);
}

TEST(VariantTimeTest, BeforeTheEpochTheFractionCountsForwards) {
  EXPECT_EQ(ToDate(Make(1899, 12, 29, 6)), -1.25);
  EXPECT_EQ(ToDate(Make(1899, 12, 29, 18)), -1.75);
  ExpectFields(FromDate(-1.25), 1899, 12, 29, 6, 0, 0, 0);
  ExpectFields(FromDate(-1.75), 1899, 12, 29, 18, 0, 0, 0);
  // Between -1 and 0 the whole part is the epoch day itself.
  ExpectFields(FromDate(-0.5), 1899, 12, 30, 12, 0, 0, 0);
  ExpectFields(FromDate(-2.0), 1899, 12, 28, 0, 0, 0, 0);
  for (const SystemTime& in : {Make(1899, 12, 29, 6, 30, 15), Make(1000, 6, 15, 23, 59, 59), Make(100, 1, 1, 0, 0, 1)}) {
    const SystemTime out = FromDate(ToDate(in));
    ExpectFields(out, in.wYear, in.wMonth, in.wDay, in.wHour, in.wMinute, in.wSecond, 0);
  }
}

TEST(VariantTimeTest, MillisecondsAreDroppedOneWayAndRoundedTheOther) {
  EXPECT_EQ(ToDate(Make(2021, 3, 15, 0, 0, 0, 999)), 44270.0);
  const double second = 1.0 / 86400.0;
  ExpectFields(FromDate(44270.0 + 0.4 * second), 2021, 3, 15, 0, 0, 0, 0);
  ExpectFields(FromDate(44270.0 + 0.6 * second), 2021, 3, 15, 0, 0, 1, 0);
  // Rounding up at the end of a day moves to the next calendar day, on either side of the epoch.
  ExpectFields(FromDate(44270.0 + 86399.7 * second), 2021, 3, 16, 0, 0, 0, 0);
  ExpectFields(FromDate(-1.0 - 86399.7 * second), 1899, 12, 30, 0, 0, 0, 0);
}

TEST(VariantTimeTest, YearsOutsideOneHundredToNineThousandNineHundredNinetyNineAreRefused) {
  OleDate date = 7.0;
  EXPECT_FALSE(SystemTimeToVariantTime(Make(99, 12, 31), date));
  EXPECT_FALSE(SystemTimeToVariantTime(Make(10000, 1, 1), date));
  EXPECT_FALSE(SystemTimeToVariantTime(Make(2023, 2, 29), date));
  EXPECT_FALSE(SystemTimeToVariantTime(Make(2023, 1, 1, 25), date));
  EXPECT_EQ(date, 7.0);
  EXPECT_EQ(ToDate(Make(100, 1, 1)), -657434.0);
  EXPECT_EQ(ToDate(Make(9999, 12, 31)), 2958465.0);

  SystemTime st = Make(2000, 1, 1);
  EXPECT_FALSE(VariantTimeToSystemTime(-657435.0, st));
  EXPECT_FALSE(VariantTimeToSystemTime(2958466.0, st));
  EXPECT_FALSE(VariantTimeToSystemTime(2958465.0 + 86399.6 / 86400.0, st));  // rounds to year 10000
  EXPECT_FALSE(VariantTimeToSystemTime(std::nan(""), st));
  EXPECT_FALSE(VariantTimeToSystemTime(HUGE_VAL, st));
  EXPECT_FALSE(VariantTimeToSystemTime(-HUGE_VAL, st));
  EXPECT_EQ(st.wYear, 2000);
  ExpectFields(FromDate(-657434.0), 100, 1, 1, 0, 0, 0, 0);
  ExpectFields(FromDate(2958465.0 + 86399.0 / 86400.0), 9999, 12, 31, 23, 59, 59, 0);
}
