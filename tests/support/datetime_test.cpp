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

constexpr std::int64_t kDay = TimeSpan::TicksPerDay, kMsTicks = TimeSpan::TicksPerMillisecond;
constexpr double kMs = 1.0 / 86400000.0, kSecond = 1.0 / 86400.0;
const WString kUnrepresentable = u"The added or subtracted value results in an un-representable DateTime.";

SystemTime Make(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
  using U = std::uint16_t;
  return {U(year), U(month), 0, U(day), U(hour), U(minute), U(second), U(ms)};
}

// The fields as one comparable list, day of week aside.
std::vector<int> Fields(const SystemTime& st) {
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace

TEST(DateTimeTest, EveryRangeCheckNamesItsParameterInOrder) {
  const WString range = u"Specified argument was out of the range of valid values.";
  const WString month = u"Month must be between one and twelve.", value = u"Value to add was out of range.";
  const std::tuple<std::function<void()>, WString, WString> cases[] = {
      {[] { DateTime(2023, 2, 29, DateTimeKind::Utc); }, u"day", range},
      {[] { DateTime(0, 13, 40); }, u"year", range},  // year, then month, then day
      {[] { DateTime(2024, 13, 40); }, u"month", range},
      {[] { DateTime(2024, 1, 1, 24, 0, 0, 0); }, u"hour", range},
      {[] { DateTime(2024, 1, 1, 0, 0, 0, 1000); }, u"millisecond", range},
      {[] { DateTime(2024, 2, 30, 24, 0, 0, 0); }, u"day", range},  // the date, then the time, then the kind
      {[] { DateTime(2024, 1, 1, 0, 60, 0, 1000, DateTimeKind::LocalAmbiguousDst); }, u"minute", range},
      {[] { DateTime(2024, 1, 1, DateTimeKind::LocalAmbiguousDst); }, u"kind", range},
      {[] { DateTime(std::int64_t{-1}); }, u"ticks", range},
      {[] { DateTime(DateTime::MaxTicks + 1); }, u"ticks", range},
      {[] { DateTime::IsLeapYear(0); }, u"year", range},
      {[] { DateTime::DaysInMonth(2024, 13); }, u"month", month},
      // The bound itself (3652059 days) is out; just inside, the result is not representable.
      {[] { DateTime::MinValue.AddDays(3652059.0); }, u"value", value},
      {[] { DateTime::MinValue.AddDays(std::nan("")); }, u"value", value},
      {[] { DateTime(2024, 1, 1).AddDays(3652058.0); }, u"ticks", kUnrepresentable},
      {[] { DateTime::MinValue.AddDays(-0.001); }, u"ticks", kUnrepresentable},
  };
  for (const auto& [action, param, text] : cases) {
    SCOPED_TRACE(&action - &std::get<0>(cases[0]));
    const auto e = Raised<ArgumentOutOfRangeException>(action);
    EXPECT_EQ(e.paramName, param);
    EXPECT_EQ(e.message, text + u"\r\nParameter Name: " + param);
  }
}

TEST(DateTimeTest, TicksAndFieldsAgreeWithKnownInstants) {
  const std::int64_t unixEpoch = 621355968000000000;
  EXPECT_EQ(DateTime(1970, 1, 1).Ticks(), unixEpoch);
  EXPECT_EQ(DateTime(1601, 1, 1).Ticks(), DateTime::FileTimeOffset);
  EXPECT_EQ(DateTime(9999, 12, 31, 23, 59, 59, 999).Ticks(), DateTime::MaxTicks - 9999);
  const DateTime t(2000, 2, 29, 12, 34, 56, 789, DateTimeKind::Local);
  EXPECT_EQ(t.Ticks(), unixEpoch + (30 * 365 + 7 + 59) * kDay + 45296789 * kMsTicks);
  EXPECT_EQ(t.Kind(), DateTimeKind::Local);
  EXPECT_EQ(DateTime(1, 1, 1).DayOfWeek(), DayOfWeek::Monday);
  // Every day's last millisecond; the ends of 4-, 100- and 400-year cycles are where the year search can slip.
  for (int year : {1, 4, 100, 400, 1900, 2000, 2023}) {
    std::int64_t ticks = DateTime(year, 1, 1, 23, 59, 59, 999).Ticks();
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= DateTime::DaysInMonth(year, month); ++day, ticks += kDay) {
        const DateTime v(ticks);
        ASSERT_EQ(v.Year() * 10000 + v.Month() * 100 + v.Day(), year * 10000 + month * 100 + day);
        ASSERT_EQ(((v.Hour() * 100 + v.Minute()) * 100 + v.Second()) * 1000 + v.Millisecond(), 235959999);
      }
    }
    EXPECT_EQ(DateTime(ticks).Year(), year + 1);
    EXPECT_EQ(DateTime(year, 12, 31).DayOfYear(), DateTime::IsLeapYear(year) ? 366 : 365) << year;
  }
}

TEST(DateTimeTest, ArithmeticRoundsToTheMillisecondAndKeepsTheKind) {
  const DateTime start(2024, 2, 28, DateTimeKind::Local);
  EXPECT_EQ(start.AddDays(1.5).Kind(), DateTimeKind::Local);
  // 0.4 and 0.6 ms round to 0 and 1 ms; -0.5 ms rounds away from zero.
  const std::tuple<DateTime, double, std::int64_t> cases[] = {
      {start, 1.5, start.Ticks() + 36 * TimeSpan::TicksPerHour}, {start, 0.4 * kMs, start.Ticks()},
      {start, 0.6 * kMs, start.Ticks() + kMsTicks}, {start, -0.5 * kMs, start.Ticks() - kMsTicks},
      {DateTime::MinValue, 3652058.0, 3652058 * kDay}, {DateTime(9999, 12, 31), 1.0 - kMs, DateTime::MaxTicks - 9999},
  };
  for (const auto& [from, days, ticks] : cases) EXPECT_EQ(from.AddDays(days).Ticks(), ticks) << days;
  EXPECT_EQ(DateTime(2024, 4, 1) - DateTime(2024, 3, 31, DateTimeKind::Utc), TimeSpan::FromHours(24));
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
  const std::tuple<DateTime, WString, WString> cases[] = {
      {t, u"%d%m%Y", u"05032024"},
      {t, u"%Y-%m-%d %H:%M:%S", u"2024-03-05 14:07:09"},
      {t, u"%a %A %b %B %y %j %w %I%p", u"Tue Tuesday Mar March 24 065 2 02PM"},
      {t, u"%c|%x|%X|100%%", u"03/05/24 14:07:09|03/05/24|14:07:09|100%"},
      {DateTime(999, 1, 2), u"%d%m%Y", u"0201999"},  // years below 1000 are not padded
      {DateTime(2024, 1, 1), u"%I %p %U %W", u"12 AM 00 01"},
      // Unknown conversions, a lone % and 256 characters or more give nothing.
      {t, u"%Q", u""}, {t, u"%d%", u""}, {t, WString(256, u'x'), u""}, {t, WString(254, u'x') + u"%d", u""},
  };
  for (const auto& [value, format, text] : cases) EXPECT_EQ(value.Format(format), text) << ToNarrow(format);
}

TEST(SystemTimeConversionTest, FileTimesBothWaysAndTheirRange) {
  const std::tuple<SystemTime, std::uint64_t, int> cases[] = {
      {Make(1601, 1, 1), 0u, 1},
      {Make(1970, 1, 1, 0, 0, 1, 250), 116444736000000000u + 12500000u, 4},
      {Make(30827, 12, 31, 23, 59, 59, 999), 0x7FFF35F4F06C58F0u, 5},
  };
  for (const auto& [st, ft, dayOfWeek] : cases) {
    std::uint64_t out = 1;
    SystemTime back;
    ASSERT_TRUE(SystemTimeToFileTime(st, out));
    EXPECT_EQ(out, ft);
    ASSERT_TRUE(FileTimeToSystemTime(ft + 9999u, back));  // less than a millisecond is dropped
    EXPECT_EQ(Fields(back), Fields(st));
    EXPECT_EQ(back.wDayOfWeek, dayOfWeek);
  }
  // Refused values leave the output alone; the top bit set is refused.
  std::uint64_t ft = 1;
  SystemTime st = Make(2000, 1, 1);
  EXPECT_FALSE(FileTimeToSystemTime(0x8000000000000000u, st));
  for (const SystemTime& bad : {Make(1600, 12, 31, 23, 59, 59, 999), Make(30828, 1, 1), Make(2023, 2, 29),
                                Make(2024, 13, 1), Make(2024, 1, 1, 24), Make(2024, 1, 1, 0, 0, 0, 1000)}) {
    EXPECT_FALSE(SystemTimeToFileTime(bad, ft)) << testing::PrintToString(Fields(bad));
  }
  EXPECT_EQ(ft, 1u);
  EXPECT_EQ(st.wYear, 2000);
}

TEST(SystemTimeConversionTest, DatesEitherSideOfTheEpoch) {
  enum Way { kBoth, kToDate, kFromDate };
  const std::tuple<SystemTime, OleDate, Way> cases[] = {
      {Make(2021, 3, 15, 18), 44270.75, kBoth}, {Make(1899, 12, 30), 0.0, kBoth}, {Make(1900, 1, 1, 6), 2.25, kBoth},
      {Make(100, 1, 1), -657434.0, kBoth},      {Make(9999, 12, 31), 2958465.0, kBoth},
      // Before the epoch the fraction counts forwards; between -1 and 0 the whole part is the epoch day.
      {Make(1899, 12, 29, 6), -1.25, kBoth},    {Make(1899, 12, 30, 12), -0.5, kFromDate},
      // Milliseconds are dropped one way and rounded the other, across a day's end on either side.
      {Make(2021, 3, 15, 0, 0, 0, 999), 44270.0, kToDate},
      {Make(2021, 3, 15, 0, 0, 1), 44270.0 + 0.6 * kSecond, kFromDate},
      {Make(2021, 3, 16), 44270.0 + 86399.7 * kSecond, kFromDate},
      {Make(1899, 12, 30), -1.0 - 86399.7 * kSecond, kFromDate},
  };
  for (const auto& [st, date, way] : cases) {
    OleDate toDate = 7.0;
    SystemTime fromDate;
    EXPECT_TRUE(way == kFromDate || (SystemTimeToVariantTime(st, toDate) && toDate == date)) << date << " " << toDate;
    EXPECT_TRUE(way == kToDate || (VariantTimeToSystemTime(date, fromDate) && Fields(fromDate) == Fields(st))) << date;
  }
  // Refused values leave the output alone.
  OleDate date = 7.0;
  for (const SystemTime& bad : {Make(99, 12, 31), Make(10000, 1, 1), Make(2023, 2, 29)}) {
    EXPECT_FALSE(SystemTimeToVariantTime(bad, date));
  }
  EXPECT_EQ(date, 7.0);
  SystemTime st = Make(2000, 1, 1);
  for (OleDate bad : {-657435.0, 2958465.0 + 86399.6 * kSecond, std::nan(""), HUGE_VAL}) {
    EXPECT_FALSE(VariantTimeToSystemTime(bad, st)) << bad;
  }
  EXPECT_EQ(st.wYear, 2000);
}

TEST(DateTimeConversionTest, FileTimeRangeAndLocalValues) {
  const LocalTimeZone cet = LocalTimeZone::FromPosixRule("CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(MessageOf([&] { DateTime(DateTime::FileTimeOffset - 1, DateTimeKind::Utc).ToFileTime(cet); }),
            "Not a valid Win32 FileTime.\r\nParameter Name: ");
  // Local values are taken to universal time first; unspecified ones as they are.
  const std::int64_t ten = DateTime(2024, 7, 1, 10, 0, 0, 0, DateTimeKind::Utc).ToFileTime(cet);
  EXPECT_EQ(DateTime(2024, 7, 1, 12, 0, 0, 0, DateTimeKind::Local).ToFileTime(cet), ten);
  EXPECT_EQ(DateTime(2024, 7, 1, 10, 0, 0, 0).ToFileTime(cet), ten);
  EXPECT_EQ(DateTime::FromFileTimeUtc(0).Ticks(), DateTime::FileTimeOffset);
  EXPECT_EQ(MessageOf([&] { DateTime::FromFileTimeUtc(DateTime::MaxTicks - DateTime::FileTimeOffset + 1); }),
            "Not a valid Win32 FileTime.\r\nParameter Name: ft");
  // From SYSTEMTIME (universal) to local time; an unconvertible one counts as file time 0.
  EXPECT_EQ(DateTime::FromSystemTime(Make(2024, 7, 1, 10), cet), DateTime(2024, 7, 1, 12, 0, 0, 0));
  EXPECT_EQ(DateTime::FromSystemTime(Make(2024, 13, 1), cet), DateTime(1601, 1, 1, 1, 0, 0, 0));
  EXPECT_EQ(DateTime::FromSystemTime(Make(2024, 7, 1), cet).Kind(), DateTimeKind::Local);
}
