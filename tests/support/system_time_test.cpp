#include "support/system_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "fakes/raised.h"
#include "support/datetime.h"
#include "support/time_zone.h"

using namespace TAVQ;

namespace {

SystemTime Make(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
  using U = std::uint16_t;
  return {U(year), U(month), 0, U(day), U(hour), U(minute), U(second), U(ms)};
}

// The fields as one comparable list, day of week aside.
std::vector<int> Fields(const SystemTime& st) {
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
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

TEST(FileTimeConversionTest, KnownInstantsRoundTripAndRange) {
  std::uint64_t ft = 1;
  ASSERT_TRUE(SystemTimeToFileTime(Make(1601, 1, 1), ft));
  EXPECT_EQ(ft, 0u);
  ASSERT_TRUE(SystemTimeToFileTime(Make(1970, 1, 1, 0, 0, 1, 250), ft));
  EXPECT_EQ(ft, 116444736000000000u + 12500000u);
  SystemTime st;
  ASSERT_TRUE(FileTimeToSystemTime(ft + 9999u, st));
  EXPECT_EQ(Fields(st), Fields(Make(1970, 1, 1, 0, 0, 1, 250)));
  EXPECT_EQ(st.wDayOfWeek, 4);  // Thursday
  ASSERT_TRUE(SystemTimeToFileTime(Make(30827, 12, 31, 23, 59, 59, 999), ft));
  ASSERT_TRUE(FileTimeToSystemTime(ft, st));
  EXPECT_EQ(Fields(st), Fields(Make(30827, 12, 31, 23, 59, 59, 999)));
  // The top bit set is refused and the output left alone.
  EXPECT_FALSE(FileTimeToSystemTime(0x8000000000000000u, st));
  EXPECT_EQ(st.wYear, 30827);
  for (const SystemTime& bad : {Make(1600, 12, 31, 23, 59, 59, 999), Make(30828, 1, 1), Make(2023, 2, 29),
                                Make(2024, 13, 1), Make(2024, 1, 1, 24), Make(2024, 1, 1, 0, 0, 0, 1000)}) {
    EXPECT_FALSE(SystemTimeToFileTime(bad, ft)) << bad.wYear << "-" << bad.wMonth << "-" << bad.wDay;
  }
}

TEST(VariantTimeTest, DatesEitherSideOfTheEpoch) {
  const std::pair<SystemTime, OleDate> cases[] = {
      {Make(2021, 3, 15, 18), 44270.75}, {Make(1899, 12, 30), 0.0}, {Make(1900, 1, 1, 6), 2.25},
      // Before the epoch the fraction counts forwards.
      {Make(1899, 12, 29, 6), -1.25},    {Make(100, 1, 1), -657434.0}, {Make(9999, 12, 31), 2958465.0},
  };
  for (const auto& [st, date] : cases) {
    EXPECT_EQ(ToDate(st), date);
    EXPECT_EQ(Fields(FromDate(date)), Fields(st)) << date;
  }
  // Between -1 and 0 the whole part is the epoch day itself.
  EXPECT_EQ(Fields(FromDate(-0.5)), Fields(Make(1899, 12, 30, 12)));
  // Milliseconds are dropped one way and rounded the other, across a day's end on either side.
  const double second = 1.0 / 86400.0;
  EXPECT_EQ(ToDate(Make(2021, 3, 15, 0, 0, 0, 999)), 44270.0);
  EXPECT_EQ(Fields(FromDate(44270.0 + 0.6 * second)), Fields(Make(2021, 3, 15, 0, 0, 1)));
  EXPECT_EQ(Fields(FromDate(44270.0 + 86399.7 * second)), Fields(Make(2021, 3, 16)));
  EXPECT_EQ(Fields(FromDate(-1.0 - 86399.7 * second)), Fields(Make(1899, 12, 30)));
  OleDate date = 7.0;
  for (const SystemTime& bad : {Make(99, 12, 31), Make(10000, 1, 1), Make(2023, 2, 29)}) {
    EXPECT_FALSE(SystemTimeToVariantTime(bad, date));
  }
  EXPECT_EQ(date, 7.0);
  SystemTime st = Make(2000, 1, 1);
  for (OleDate bad : {-657435.0, 2958465.0 + 86399.6 * second, std::nan(""), HUGE_VAL}) {
    EXPECT_FALSE(VariantTimeToSystemTime(bad, st)) << bad;
  }
  EXPECT_EQ(st.wYear, 2000);
}

TEST(DateTimeConversionTest, FileTimeRangeAndLocalValues) {
  const LocalTimeZone utc = LocalTimeZone::Utc();
  const LocalTimeZone cet = LocalTimeZone::FromPosixRule("CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(Fakes::MessageOf([&] { DateTime(DateTime::FileTimeOffset - 1, DateTimeKind::Utc).ToFileTime(utc); }),
            "Not a valid Win32 FileTime.\r\nParameter Name: ");
  // Local values are taken to universal time first; unspecified ones as they are.
  const std::int64_t ten = DateTime(2024, 7, 1, 10, 0, 0, 0, DateTimeKind::Utc).ToFileTime(cet);
  EXPECT_EQ(DateTime(2024, 7, 1, 12, 0, 0, 0, DateTimeKind::Local).ToFileTime(cet), ten);
  EXPECT_EQ(DateTime(2024, 7, 1, 10, 0, 0, 0).ToFileTime(cet), ten);
  EXPECT_EQ(DateTime::FromFileTimeUtc(0).Ticks(), DateTime::FileTimeOffset);
  EXPECT_EQ(DateTime::FromFileTimeUtc(0).Kind(), DateTimeKind::Utc);
  EXPECT_EQ(Fakes::MessageOf([&] { DateTime::FromFileTimeUtc(DateTime::MaxTicks - DateTime::FileTimeOffset + 1); }),
            "Not a valid Win32 FileTime.\r\nParameter Name: ft");
  // From SYSTEMTIME (universal) to local time; an unconvertible one counts as file time 0.
  SystemTime st = Make(2024, 10, 27, 0, 30);
  const DateTime repeated = DateTime::FromSystemTime(st, cet);
  EXPECT_EQ(repeated.Ticks(), DateTime(2024, 10, 27, 2, 30, 0, 0).Ticks());
  EXPECT_EQ(repeated.Kind(), DateTimeKind::LocalAmbiguousDst);
  st.wMonth = 13;
  EXPECT_EQ(DateTime::FromSystemTime(st, cet).Ticks(), DateTime(1601, 1, 1, 1, 0, 0, 0).Ticks());
}

TEST(DateTimeConversionTest, CardDateIsTheSameOleDateInEveryZone) {
  for (const char* rule : {"UTC0", "AEST-10AEDT,M10.1.0,M4.1.0/3", "<-12>12", "<+0545>-5:45"}) {
    SCOPED_TRACE(rule);
    const LocalTimeZone zone = LocalTimeZone::FromPosixRule(rule);
    const auto toDate = [&](const DateTime& value) {
      SystemTime st;
      EXPECT_TRUE(FileTimeToSystemTime(static_cast<std::uint64_t>(value.ToFileTime(zone)), st));
      return ToDate(st);
    };
    EXPECT_EQ(toDate(DateTime(2021, 3, 15, DateTimeKind::Utc)), 44270.0);
    // Written back, the value is local time and reads as the same DATE.
    const DateTime written = DateTime::FromSystemTime(FromDate(44270.0), zone);
    EXPECT_TRUE(written.IsLocal());
    EXPECT_EQ(toDate(written), 44270.0);
  }
}
