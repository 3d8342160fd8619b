// DateTime, TimeSpan and the SYSTEMTIME, FILETIME and DATE conversions.
#include "support/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "fakes/raised.h"
#include "support/system_time.h"
#include "support/time_zone.h"

using namespace TAVQ;
using Fakes::MessageOf;
using Fakes::Raised;

namespace {

constexpr std::int64_t kUnixEpochTicks = 621355968000000000;  // 1970-01-01
constexpr std::int64_t kDay = TimeSpan::TicksPerDay;
const WString kOutOfRange = u"Specified argument was out of the range of valid values.";
const WString kUnrepresentable = u"The added or subtracted value results in an un-representable DateTime.";

struct RangeCase {
  const char* what;
  std::function<void()> action;
  WString paramName;
  WString text = kOutOfRange;
};

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

TEST(DateTimeTest, EveryRangeCheckNamesItsParameterInOrder) {
  const WString month = u"Month must be between one and twelve.";
  const WString value = u"Value to add was out of range.";
  const RangeCase cases[] = {
      {"29 Feb 2023", [] { DateTime(2023, 2, 29, DateTimeKind::Utc); }, u"day"},
      {"year before month", [] { DateTime(0, 13, 40); }, u"year"},
      {"month before day", [] { DateTime(2024, 13, 40); }, u"month"},
      {"hour 24", [] { DateTime(2024, 1, 1, 24, 0, 0, 0); }, u"hour"},
      {"ms 1000", [] { DateTime(2024, 1, 1, 0, 0, 0, 1000); }, u"millisecond"},
      {"date before time", [] { DateTime(2024, 2, 30, 24, 0, 0, 0); }, u"day"},
      {"time before kind", [] { DateTime(2024, 1, 1, 0, 60, 0, 1000, DateTimeKind::LocalAmbiguousDst); }, u"minute"},
      {"kind 3 date", [] { DateTime(2024, 1, 1, DateTimeKind::LocalAmbiguousDst); }, u"kind"},
      {"ticks -1", [] { DateTime(std::int64_t{-1}); }, u"ticks"},
      {"ticks max+1", [] { DateTime(DateTime::MaxTicks + 1); }, u"ticks"},
      {"leap year 0", [] { DateTime::IsLeapYear(0); }, u"year"},
      {"days in month 13", [] { DateTime::DaysInMonth(2024, 13); }, u"month", month},
      // The bound itself (3652059 days) is out; just inside, the result is not representable.
      {"add max days", [] { DateTime::MinValue.AddDays(3652059.0); }, u"value", value},
      {"add NaN", [] { DateTime::MinValue.AddDays(std::nan("")); }, u"value", value},
      {"add to past max", [] { DateTime(2024, 1, 1).AddDays(3652058.0); }, u"ticks", kUnrepresentable},
      {"add before min", [] { DateTime::MinValue.AddDays(-0.001); }, u"ticks", kUnrepresentable},
  };
  for (const RangeCase& c : cases) {
    SCOPED_TRACE(c.what);
    const auto e = Raised<ArgumentOutOfRangeException>(c.action);
    EXPECT_EQ(e.paramName, c.paramName);
    EXPECT_EQ(e.message, c.text + u"\r\nParameter Name: " + c.paramName);
  }
}

TEST(DateTimeTest, TicksAndFieldsAgreeWithKnownInstants) {
  EXPECT_EQ(DateTime(1970, 1, 1).Ticks(), kUnixEpochTicks);
  EXPECT_EQ(DateTime(1601, 1, 1).Ticks(), DateTime::FileTimeOffset);
  EXPECT_EQ(DateTime(9999, 12, 31, 23, 59, 59, 999).Ticks(), DateTime::MaxTicks - 9999);
  const DateTime t(2000, 2, 29, 12, 34, 56, 789, DateTimeKind::Local);
  EXPECT_EQ(t.Ticks(), kUnixEpochTicks + (30 * 365 + 7 + 59) * kDay +
                           (12 * 3600 + 34 * 60 + 56) * TimeSpan::TicksPerSecond + 789 * TimeSpan::TicksPerMillisecond);
  EXPECT_EQ(t.Kind(), DateTimeKind::Local);
  // Last days of 4-, 100- and 400-year cycles are where the year search can slip.
  const int dates[][3] = {{1, 1, 1}, {4, 12, 31}, {100, 12, 31}, {400, 12, 31}, {1900, 3, 1}, {2000, 2, 29}};
  for (const auto& d : dates) {
    const DateTime value(d[0], d[1], d[2], 23, 59, 59, 999);
    SCOPED_TRACE(d[0]);
    EXPECT_EQ(value.Year() * 10000 + value.Month() * 100 + value.Day(), d[0] * 10000 + d[1] * 100 + d[2]);
    EXPECT_EQ(value.Hour() * 10000 + value.Minute() * 100 + value.Second(), 235959);
    EXPECT_EQ(value.Millisecond(), 999);
  }
  for (int year : {1900, 2000, 2023}) {
    std::int64_t ticks = DateTime(year, 1, 1).Ticks();
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= DateTime::DaysInMonth(year, month); ++day, ticks += kDay) {
        ASSERT_EQ(DateTime(ticks).Month() * 100 + DateTime(ticks).Day(), month * 100 + day) << year;
      }
    }
    EXPECT_EQ(DateTime(ticks).Year(), year + 1);
    EXPECT_EQ(DateTime(year, 12, 31).DayOfYear(), DateTime::IsLeapYear(year) ? 366 : 365);
  }
  EXPECT_EQ(DateTime(1, 1, 1).DayOfWeek(), DayOfWeek::Monday);
}

TEST(DateTimeTest, ArithmeticRoundsToTheMillisecondAndKeepsTheKind) {
  const DateTime start(2024, 2, 28, DateTimeKind::Local);
  const DateTime later = start.AddDays(1.5);
  EXPECT_EQ(later.Ticks() - start.Ticks(), 36 * TimeSpan::TicksPerHour);
  EXPECT_EQ(later.Kind(), DateTimeKind::Local);
  // 0.4 and 0.6 ms round to 0 and 1 ms; -0.5 ms rounds away from zero.
  const double ms = 1.0 / 86400000.0;
  EXPECT_EQ(start.AddDays(0.4 * ms).Ticks(), start.Ticks());
  EXPECT_EQ(start.AddDays(0.6 * ms).Ticks(), start.Ticks() + TimeSpan::TicksPerMillisecond);
  EXPECT_EQ(start.AddDays(-0.5 * ms).Ticks(), start.Ticks() - TimeSpan::TicksPerMillisecond);
  EXPECT_EQ(DateTime::MinValue.AddDays(3652058.0).Ticks(), 3652058 * kDay);
  EXPECT_EQ(DateTime(9999, 12, 31).AddDays(1.0 - ms).Ticks(), DateTime::MaxTicks - 9999);

  const DateTime utc(2024, 3, 31, DateTimeKind::Utc);
  EXPECT_EQ(DateTime(2024, 4, 1) - utc, TimeSpan::FromHours(24));
  const std::int64_t top = std::numeric_limits<std::int64_t>::max(), bottom = std::numeric_limits<std::int64_t>::min();
  // Extreme spans must not overflow on the way to the check.
  for (const auto& action : std::vector<std::function<void()>>{
           [] { DateTime::MaxValue + TimeSpan(1); }, [] { DateTime::MinValue - TimeSpan(1); },
           [] { DateTime::MinValue + TimeSpan(-1); }, [=] { DateTime::MaxValue + TimeSpan(top); },
           [=] { DateTime::MaxValue - TimeSpan(bottom); }, [=] { DateTime::MinValue + TimeSpan(bottom); }}) {
    EXPECT_EQ(Raised<ArgumentException>(action).message, kUnrepresentable);  // not out-of-range
  }
  EXPECT_EQ((TimeSpan(top) + TimeSpan(bottom)).Ticks(), -1);
  EXPECT_EQ(Raised<OverflowException>([=] { TimeSpan(top) + TimeSpan(1); }).message,
            u"TimeSpan overflowed because the duration is too long.");
  EXPECT_THROW(TimeSpan(bottom) - TimeSpan(1), OverflowException);
}

TEST(DateTimeTest, FormatUnderTheCLocale) {
  const DateTime t(2024, 3, 5, 14, 7, 9, 500);
  const std::pair<WString, WString> cases[] = {
      {u"%d%m%Y", u"05032024"},
      {u"%Y-%m-%d %H:%M:%S", u"2024-03-05 14:07:09"},
      {u"%a %A %b %B %y %j %w %I%p", u"Tue Tuesday Mar March 24 065 2 02PM"},
      {u"%c|%x|%X|100%%", u"03/05/24 14:07:09|03/05/24|14:07:09|100%"},
      {u"%Q", u""},
      {u"%d%", u""},
      {WString(256, u'x'), u""},
      {WString(254, u'x') + u"%d", u""},
  };
  for (const auto& [format, text] : cases) EXPECT_EQ(t.Format(format), text) << ToNarrow(format);
  // Years below 1000 are not padded.
  EXPECT_EQ(DateTime(999, 1, 2).Format(u"%d%m%Y"), u"0201999");
  EXPECT_EQ(DateTime(2024, 1, 1).Format(u"%I %p %U %W"), u"12 AM 00 01");
}

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
  EXPECT_EQ(MessageOf([&] { DateTime(DateTime::FileTimeOffset - 1, DateTimeKind::Utc).ToFileTime(utc); }),
            "Not a valid Win32 FileTime.\r\nParameter Name: ");
  // Local values are taken to universal time first; unspecified ones as they are.
  const std::int64_t ten = DateTime(2024, 7, 1, 10, 0, 0, 0, DateTimeKind::Utc).ToFileTime(cet);
  EXPECT_EQ(DateTime(2024, 7, 1, 12, 0, 0, 0, DateTimeKind::Local).ToFileTime(cet), ten);
  EXPECT_EQ(DateTime(2024, 7, 1, 10, 0, 0, 0).ToFileTime(cet), ten);
  EXPECT_EQ(DateTime::FromFileTimeUtc(0).Ticks(), DateTime::FileTimeOffset);
  EXPECT_EQ(MessageOf([&] { DateTime::FromFileTimeUtc(DateTime::MaxTicks - DateTime::FileTimeOffset + 1); }),
            "Not a valid Win32 FileTime.\r\nParameter Name: ft");
  // From SYSTEMTIME (universal) to local time; an unconvertible one counts as file time 0.
  SystemTime st = Make(2024, 10, 27, 0, 30);
  const DateTime repeated = DateTime::FromSystemTime(st, cet);
  EXPECT_EQ(repeated.Ticks(), DateTime(2024, 10, 27, 2, 30, 0, 0).Ticks());
  EXPECT_EQ(repeated.Kind(), DateTimeKind::LocalAmbiguousDst);
  st.wMonth = 13;
  EXPECT_EQ(DateTime::FromSystemTime(st, cet).Ticks(), DateTime(1601, 1, 1, 1, 0, 0, 0).Ticks());
}
