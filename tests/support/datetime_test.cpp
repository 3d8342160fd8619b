#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "support/datetime.h"
#include "support/exception.h"

using namespace TAVQ;

namespace {

constexpr std::int64_t kUnixEpochTicks = 621355968000000000;  // 1970-01-01
constexpr std::int64_t kDay = TimeSpan::TicksPerDay;
const WString kOutOfRange = u"Specified argument was out of the range of valid values.";
const WString kSuffix = u"\r\nParameter Name: ";

// Runs f, which must throw ArgumentOutOfRangeException for paramName with message text.
void ExpectOutOfRange(const std::function<void()>& f, const WString& paramName, const WString& text = kOutOfRange) {
  try {
    f();
    ADD_FAILURE() << "no exception";
  } catch (const ArgumentOutOfRangeException& e) {
    EXPECT_EQ(e.paramName, paramName);
    EXPECT_EQ(e.message, text + kSuffix + paramName);
  }
}

void ExpectArgument(const std::function<void()>& f, const WString& message) {
  try {
    f();
    ADD_FAILURE() << "no exception";
  } catch (const ArgumentOutOfRangeException&) {
    ADD_FAILURE() << "out-of-range instead of a plain argument exception";
  } catch (const ArgumentException& e) {
    EXPECT_EQ(e.message, message);
  }
}

}  // namespace

TEST(DateTimeConstructionTest, LeapDayExistsIn2024ButNotIn2023) {
  const DateTime leap(2024, 2, 29, DateTimeKind::Utc);
  EXPECT_EQ(leap.Year(), 2024);
  EXPECT_EQ(leap.Month(), 2);
  EXPECT_EQ(leap.Day(), 29);
  EXPECT_EQ(leap.Kind(), DateTimeKind::Utc);
  ExpectOutOfRange([] { DateTime(2023, 2, 29, DateTimeKind::Utc); }, u"day");
}

TEST(DateTimeConstructionTest, EveryDateCheckNamesItsParameter) {
  ExpectOutOfRange([] { DateTime(2024, 0, 1, DateTimeKind::Utc); }, u"month");
  ExpectOutOfRange([] { DateTime(2024, 13, 1, DateTimeKind::Utc); }, u"month");
  ExpectOutOfRange([] { DateTime(0, 1, 1, DateTimeKind::Utc); }, u"year");
  ExpectOutOfRange([] { DateTime(10000, 1, 1, DateTimeKind::Utc); }, u"year");
  ExpectOutOfRange([] { DateTime(2024, 4, 31); }, u"day");
  ExpectOutOfRange([] { DateTime(2024, 4, 0); }, u"day");
  // The year is checked before the month, the month before the day.
  ExpectOutOfRange([] { DateTime(0, 13, 40); }, u"year");
  ExpectOutOfRange([] { DateTime(2024, 13, 40); }, u"month");
}

TEST(DateTimeConstructionTest, EveryTimeCheckNamesItsParameter) {
  ExpectOutOfRange([] { DateTime(2024, 1, 1, 24, 0, 0, 0); }, u"hour");
  ExpectOutOfRange([] { DateTime(2024, 1, 1, -1, 0, 0, 0); }, u"hour");
  ExpectOutOfRange([] { DateTime(2024, 1, 1, 0, 60, 0, 0); }, u"minute");
  ExpectOutOfRange([] { DateTime(2024, 1, 1, 0, 0, 60, 0); }, u"second");
  ExpectOutOfRange([] { DateTime(2024, 1, 1, 0, 0, 0, 1000); }, u"millisecond");
  ExpectOutOfRange([] { DateTime(2024, 1, 1, 0, 0, 0, -1); }, u"millisecond");
  // Date checks come first.
  ExpectOutOfRange([] { DateTime(2024, 2, 30, 24, 0, 0, 0); }, u"day");
  // Then the time, the millisecond and last the kind.
  ExpectOutOfRange([] { DateTime(2024, 1, 1, 0, 60, 0, 1000, DateTimeKind::LocalAmbiguousDst); }, u"minute");
  ExpectOutOfRange([] { DateTime(2024, 1, 1, 0, 0, 0, 1000, DateTimeKind::LocalAmbiguousDst); }, u"millisecond");
}

TEST(DateTimeConstructionTest, KindThreeAndTicksOutOfRangeAreRefused) {
  ExpectOutOfRange([] { DateTime(2024, 1, 1, DateTimeKind::LocalAmbiguousDst); }, u"kind");
  ExpectOutOfRange([] { DateTime(2024, 1, 1, 0, 0, 0, 0, DateTimeKind::LocalAmbiguousDst); }, u"kind");
  ExpectOutOfRange([] { DateTime(std::int64_t{0}, DateTimeKind::LocalAmbiguousDst); }, u"kind");
  ExpectOutOfRange([] { DateTime(std::int64_t{-1}); }, u"ticks");
  ExpectOutOfRange([] { DateTime(DateTime::MaxTicks + 1); }, u"ticks");
  // Ticks are checked before the kind.
  ExpectOutOfRange([] { DateTime(std::int64_t{-1}, DateTimeKind::LocalAmbiguousDst); }, u"ticks");
  EXPECT_EQ(DateTime(DateTime::MaxTicks, DateTimeKind::Local).Ticks(), 0x2BCA2875F4373FFF);
}

TEST(DateTimeConstructionTest, TicksAgreeWithKnownInstants) {
  EXPECT_EQ(DateTime(1, 1, 1).Ticks(), 0);
  EXPECT_EQ(DateTime(1970, 1, 1).Ticks(), kUnixEpochTicks);
  EXPECT_EQ(DateTime(1601, 1, 1).Ticks(), DateTime::FileTimeOffset);
  EXPECT_EQ(DateTime(9999, 12, 31, 23, 59, 59, 999).Ticks(), DateTime::MaxTicks - 9999);
  // 2000-02-29 12:34:56.789: 30 years and 59 days after the epoch.
  const DateTime t(2000, 2, 29, 12, 34, 56, 789, DateTimeKind::Local);
  const std::int64_t days = 30 * 365 + 7 + 59;
  EXPECT_EQ(t.Ticks(), kUnixEpochTicks + days * kDay + (12 * 3600 + 34 * 60 + 56) * TimeSpan::TicksPerSecond +
                           789 * TimeSpan::TicksPerMillisecond);
  EXPECT_EQ(t.Kind(), DateTimeKind::Local);
}

TEST(DateTimeFieldsTest, CalendarFieldsRoundTripAcrossCycleBoundaries) {
  // Last days of 4-, 100- and 400-year cycles are where the year search can slip.
  const int dates[][3] = {{1, 1, 1},     {1, 12, 31},   {4, 12, 31},    {100, 12, 31}, {400, 12, 31},
                          {401, 1, 1},   {1900, 2, 28}, {1900, 3, 1},   {2000, 2, 29}, {2000, 12, 31},
                          {2023, 12, 31}, {2024, 12, 31}, {9999, 12, 31}};
  for (const auto& d : dates) {
    const DateTime value(d[0], d[1], d[2], 23, 59, 59, 999);
    EXPECT_EQ(value.Year(), d[0]);
    EXPECT_EQ(value.Month(), d[1]);
    EXPECT_EQ(value.Day(), d[2]);
    EXPECT_EQ(value.Hour(), 23);
    EXPECT_EQ(value.Minute(), 59);
    EXPECT_EQ(value.Second(), 59);
    EXPECT_EQ(value.Millisecond(), 999);
  }
  EXPECT_EQ(DateTime(2024, 12, 31).DayOfYear(), 366);
  EXPECT_EQ(DateTime(2023, 12, 31).DayOfYear(), 365);
  EXPECT_EQ(DateTime(2024, 3, 1).DayOfYear(), 61);
}

TEST(DateTimeFieldsTest, EveryDayOfAYearMapsBackToItself) {
  for (int year : {1900, 2000, 2023, 2024}) {
    std::int64_t ticks = DateTime(year, 1, 1).Ticks();
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= DateTime::DaysInMonth(year, month); ++day, ticks += kDay) {
        const DateTime value(ticks);
        ASSERT_EQ(value.Month(), month) << year << "-" << month << "-" << day;
        ASSERT_EQ(value.Day(), day) << year << "-" << month << "-" << day;
      }
    }
    EXPECT_EQ(DateTime(ticks).Year(), year + 1);
  }
}

TEST(DateTimeFieldsTest, DayOfWeek) {
  EXPECT_EQ(DateTime(1, 1, 1).DayOfWeek(), DayOfWeek::Monday);
  EXPECT_EQ(DateTime(1970, 1, 1).DayOfWeek(), DayOfWeek::Thursday);
  EXPECT_EQ(DateTime(2021, 3, 15).DayOfWeek(), DayOfWeek::Monday);
  EXPECT_EQ(DateTime(2024, 3, 31).DayOfWeek(), DayOfWeek::Sunday);
  EXPECT_EQ(DateTime::MaxValue.DayOfWeek(), DayOfWeek::Friday);
}

TEST(DateTimeCalendarTest, LeapYearsAndMonthLengths) {
  EXPECT_TRUE(DateTime::IsLeapYear(2024));
  EXPECT_FALSE(DateTime::IsLeapYear(2023));
  EXPECT_FALSE(DateTime::IsLeapYear(1900));
  EXPECT_TRUE(DateTime::IsLeapYear(2000));
  EXPECT_EQ(DateTime::DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DateTime::DaysInMonth(2023, 2), 28);
  EXPECT_EQ(DateTime::DaysInMonth(2023, 4), 30);
  ExpectOutOfRange([] { DateTime::IsLeapYear(0); }, u"year");
  ExpectOutOfRange([] { DateTime::IsLeapYear(10000); }, u"year");
  ExpectOutOfRange([] { DateTime::DaysInMonth(2024, 13); }, u"month", u"Month must be between one and twelve.");
  ExpectOutOfRange([] { DateTime::DaysInMonth(0, 0); }, u"month", u"Month must be between one and twelve.");
  ExpectOutOfRange([] { DateTime::DaysInMonth(0, 1); }, u"year");
}

TEST(DateTimeArithmeticTest, AddDaysRoundsToTheMillisecondAndKeepsTheKind) {
  const DateTime start(2024, 2, 28, DateTimeKind::Local);
  const DateTime later = start.AddDays(1.5);
  EXPECT_EQ(later.Ticks() - start.Ticks(), 36 * TimeSpan::TicksPerHour);
  EXPECT_EQ(later.Kind(), DateTimeKind::Local);
  EXPECT_EQ(later.Day(), 29);
  EXPECT_EQ(start.AddDays(-1.0).Day(), 27);
  // 0.4 and 0.6 ms round to 0 and 1 ms; -0.5 ms rounds away from zero.
  const double ms = 1.0 / 86400000.0;
  EXPECT_EQ(start.AddDays(0.4 * ms).Ticks(), start.Ticks());
  EXPECT_EQ(start.AddDays(0.6 * ms).Ticks(), start.Ticks() + TimeSpan::TicksPerMillisecond);
  EXPECT_EQ(start.AddDays(-0.5 * ms).Ticks(), start.Ticks() - TimeSpan::TicksPerMillisecond);
}

TEST(DateTimeArithmeticTest, AddDaysLimits) {
  const WString valueText = u"Value to add was out of range.";
  const WString ticksText = u"The added or subtracted value results in an un-representable DateTime.";
  // 315537897600000 ms is exactly 3652059 days: the bound itself is out.
  ExpectOutOfRange([] { DateTime::MinValue.AddDays(3652059.0); }, u"value", valueText);
  ExpectOutOfRange([] { DateTime::MaxValue.AddDays(-3652059.0); }, u"value", valueText);
  ExpectOutOfRange([] { DateTime::MinValue.AddDays(std::nan("")); }, u"value", valueText);
  ExpectOutOfRange([] { DateTime::MinValue.AddDays(std::numeric_limits<double>::infinity()); }, u"value", valueText);
  // Just inside the bound the value is accepted but the result is not representable.
  ExpectOutOfRange([] { DateTime(2024, 1, 1).AddDays(3652058.0); }, u"ticks", ticksText);
  ExpectOutOfRange([] { DateTime::MinValue.AddDays(-0.001); }, u"ticks", ticksText);
  EXPECT_EQ(DateTime::MinValue.AddDays(3652058.0).Ticks(), 3652058 * kDay);
  EXPECT_EQ(DateTime(9999, 12, 31).AddDays(1.0 - 1.0 / 86400000.0).Ticks(), DateTime::MaxTicks - 9999);
}

TEST(DateTimeArithmeticTest, TimeSpanAdditionAndSubtractionStayInRange) {
  const WString text = u"The added or subtracted value results in an un-representable DateTime.";
  const DateTime utc(2024, 3, 31, DateTimeKind::Utc);
  EXPECT_EQ((utc + TimeSpan::FromHours(2)).Hour(), 2);
  EXPECT_EQ((utc + TimeSpan::FromHours(2)).Kind(), DateTimeKind::Utc);
  EXPECT_EQ((utc - TimeSpan::FromHours(1)).Day(), 30);
  EXPECT_EQ(DateTime(2024, 4, 1) - utc, TimeSpan::FromHours(24));
  EXPECT_EQ(DateTime::MaxValue + TimeSpan(), DateTime::MaxValue);
  ExpectArgument([] { DateTime::MaxValue + TimeSpan(1); }, text);
  ExpectArgument([] { DateTime::MinValue - TimeSpan(1); }, text);
  ExpectArgument([] { DateTime::MinValue + TimeSpan(-1); }, text);
  // Extreme spans must not overflow on the way to the check.
  ExpectArgument([] { DateTime::MaxValue + TimeSpan(std::numeric_limits<std::int64_t>::max()); }, text);
  ExpectArgument([] { DateTime::MaxValue - TimeSpan(std::numeric_limits<std::int64_t>::min()); }, text);
  ExpectArgument([] { DateTime::MinValue + TimeSpan(std::numeric_limits<std::int64_t>::min()); }, text);
}

TEST(TimeSpanTest, OverflowRaisesOverflowException) {
  const TimeSpan max(std::numeric_limits<std::int64_t>::max());
  const TimeSpan min(std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ((TimeSpan::FromHours(1) + TimeSpan::FromMinutes(30)).Ticks(), 90 * TimeSpan::TicksPerMinute);
  EXPECT_EQ((max + min).Ticks(), -1);
  try {
    max + TimeSpan(1);
    ADD_FAILURE() << "no exception";
  } catch (const OverflowException& e) {
    EXPECT_EQ(e.message, u"TimeSpan overflowed because the duration is too long.");
  }
  EXPECT_THROW(min + TimeSpan(-1), OverflowException);
  EXPECT_THROW(min - TimeSpan(1), OverflowException);
  EXPECT_THROW(-min, OverflowException);
  EXPECT_EQ((-max).Ticks(), std::numeric_limits<std::int64_t>::min() + 1);
}

TEST(DateTimeFormatTest, CardDatePattern) {
  EXPECT_EQ(DateTime::MaxValue.Format(u"%d%m%Y"), u"31129999");
  EXPECT_EQ(DateTime(2021, 3, 15, DateTimeKind::Utc).Format(u"%d%m%Y"), u"15032021");
  // Years below 1000 are not padded: the text is shorter than 8 characters.
  EXPECT_EQ(DateTime(999, 1, 2).Format(u"%d%m%Y"), u"0201999");
  // The kind plays no part.
  EXPECT_EQ(DateTime(2024, 2, 29, DateTimeKind::Local).Format(u"%d%m%Y"), u"29022024");
}

TEST(DateTimeFormatTest, OtherConversionsUnderTheCLocale) {
  const DateTime t(2024, 3, 5, 14, 7, 9, 500);
  EXPECT_EQ(t.Format(u"%Y-%m-%d %H:%M:%S"), u"2024-03-05 14:07:09");
  EXPECT_EQ(t.Format(u"%a %A %b %B %y %j %w %I%p"), u"Tue Tuesday Mar March 24 065 2 02PM");
  EXPECT_EQ(t.Format(u"%c|%x|%X|100%%"), u"03/05/24 14:07:09|03/05/24|14:07:09|100%");
  EXPECT_EQ(DateTime(2024, 1, 1).Format(u"%I %p %U %W"), u"12 AM 00 01");
  EXPECT_EQ(t.Format(u"\u00e9t\u00e9 %d"), u"\u00e9t\u00e9 05");
}

TEST(DateTimeFormatTest, EmptyInvalidOrOverlongFormatsGiveEmptyText) {
  const DateTime t(2024, 3, 5);
  EXPECT_EQ(t.Format(u""), u"");
  EXPECT_EQ(t.Format(u"%Q"), u"");
  EXPECT_EQ(t.Format(u"%d%"), u"");
  EXPECT_EQ(t.Format(WString(255, u'x')), WString(255, u'x'));
  EXPECT_EQ(t.Format(WString(256, u'x')), u"");
  EXPECT_EQ(t.Format(WString(254, u'x') + u"%d"), u"");
}
