#include <gtest/gtest.h>

#include <functional>

#include "support/datetime.h"
#include "support/exception.h"
#include "support/text.h"
#include "support/time_zone.h"

using namespace TAVQ;

namespace {

const char* const kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";
const char* const kSydney = "AEST-10AEDT,M10.1.0,M4.1.0/3";
const char* const kDublin = "IST-1GMT0,M10.5.0,M3.5.0/1";

DateTime Utc(int y, int mo, int d, int h = 0, int mi = 0) { return DateTime(y, mo, d, h, mi, 0, 0, DateTimeKind::Utc); }
DateTime Local(int y, int mo, int d, int h = 0, int mi = 0) {
  return DateTime(y, mo, d, h, mi, 0, 0, DateTimeKind::Local);
}

void ExpectLocal(const DateTime& value, const DateTime& expected, DateTimeKind kind) {
  EXPECT_EQ(value.Ticks(), expected.Ticks()) << ToNarrow(value.Format(u"%Y-%m-%d %H:%M"));
  EXPECT_EQ(value.Kind(), kind);
}

void ExpectRule(const SystemTime& rule, int month, int occurrence, int weekday, int hour, int minute = 0) {
  EXPECT_EQ(rule.wMonth, month);
  EXPECT_EQ(rule.wDay, occurrence);
  EXPECT_EQ(rule.wDayOfWeek, weekday);
  EXPECT_EQ(rule.wHour, hour);
  EXPECT_EQ(rule.wMinute, minute);
  EXPECT_EQ(rule.wYear, 0);
}

}  // namespace

TEST(PosixRuleTest, CentralEuropeMapsOntoThePlatformRecord) {
  const LocalTimeZone zone = LocalTimeZone::FromPosixRule(kCentralEurope);
  EXPECT_EQ(zone.Id(), TimeZoneId::Standard);
  const TimeZoneInformation& info = zone.Information();
  EXPECT_EQ(info.Bias, -60);
  EXPECT_EQ(info.StandardBias, 0);
  EXPECT_EQ(info.DaylightBias, -60);
  EXPECT_EQ(zone.StandardName(), u"CET");
  EXPECT_EQ(zone.DaylightName(), u"CEST");
  ExpectRule(info.DaylightDate, 3, 5, 0, 2);  // default time 02:00
  ExpectRule(info.StandardDate, 10, 5, 0, 3);
}

TEST(PosixRuleTest, QuotedNamesMinutesAndDefaults) {
  const LocalTimeZone plus3 = LocalTimeZone::FromPosixRule("<+03>-3");
  EXPECT_EQ(plus3.Id(), TimeZoneId::Unknown);
  EXPECT_EQ(plus3.Information().Bias, -180);
  EXPECT_EQ(plus3.StandardName(), u"+03");

  const LocalTimeZone newfoundland = LocalTimeZone::FromPosixRule("NST3:30NDT,M3.2.0,M11.1.0");
  EXPECT_EQ(newfoundland.Information().Bias, 210);
  EXPECT_EQ(newfoundland.Information().DaylightBias, -60);

  EXPECT_EQ(LocalTimeZone::FromPosixRule("<+0545>-5:45").Information().Bias, -345);
  // An explicit daylight offset; and a daylight name without rules takes the US rules.
  EXPECT_EQ(LocalTimeZone::FromPosixRule("<+1030>-10:30<+11>-11,M10.1.0,M4.1.0").Information().DaylightBias, -30);
  const LocalTimeZone eastern = LocalTimeZone::FromPosixRule("EST5EDT");
  ExpectRule(eastern.Information().DaylightDate, 3, 2, 0, 2);
  ExpectRule(eastern.Information().StandardDate, 11, 1, 0, 2);
}

TEST(PosixRuleTest, TimesOutsideOneDayMoveToAnotherWeekday) {
  // Last Sunday of March at -01:00 is the Saturday before at 23:00.
  const LocalTimeZone nuuk = LocalTimeZone::FromPosixRule("<-02>2<-01>,M3.5.0/-1,M10.5.0/0");
  ExpectRule(nuuk.Information().DaylightDate, 3, 5, 6, 23);
  ExpectRule(nuuk.Information().StandardDate, 10, 5, 0, 0);
  ExpectRule(LocalTimeZone::FromPosixRule("AAA3BBB,M3.2.0/26,M11.1.0/1:30").Information().DaylightDate, 3, 2, 1, 2);
}

TEST(PosixRuleTest, DayOfYearRulesGiveAZoneWithoutDaylightTime) {
  for (const char* rule : {"AAA3BBB,J60,J300", "AAA3BBB,59,299/3", "EST5EDT,0/0,J365/25"}) {
    const LocalTimeZone zone = LocalTimeZone::FromPosixRule(rule);
    EXPECT_EQ(zone.Id(), TimeZoneId::Unknown) << rule;
    EXPECT_EQ(zone.GetDaylightChanges(2024).delta, TimeSpan()) << rule;
    ExpectLocal(zone.ToLocalTime(Utc(2024, 7, 1, 12)), Local(2024, 7, 1, 12 - zone.Information().Bias / 60),
                DateTimeKind::Local);
  }
}

TEST(PosixRuleTest, NegativeDaylightTimeIsHeldWithTheLaterOffsetAsStandard) {
  const LocalTimeZone zone = LocalTimeZone::FromPosixRule(kDublin);
  const TimeZoneInformation& info = zone.Information();
  EXPECT_EQ(info.Bias, 0);
  EXPECT_EQ(info.DaylightBias, -60);
  EXPECT_EQ(zone.StandardName(), u"GMT");
  EXPECT_EQ(zone.DaylightName(), u"IST");
  ExpectRule(info.DaylightDate, 3, 5, 0, 1);
  ExpectRule(info.StandardDate, 10, 5, 0, 2);
  ExpectLocal(zone.ToLocalTime(Utc(2024, 7, 1, 12)), Local(2024, 7, 1, 13), DateTimeKind::Local);
  ExpectLocal(zone.ToLocalTime(Utc(2024, 1, 15, 12)), Local(2024, 1, 15, 12), DateTimeKind::Local);
}

TEST(PosixRuleTest, MalformedRulesAreRefusedWithTheRuleInTheMessage) {
  for (const char* rule : {"", "C-1", "CET", "CET-1CEST,M3.5.0", "CET-1CEST,M13.5.0,M10.5.0", "CET-1CEST,M3.6.0,M10.5.0",
                           "CET-1CEST,M3.5.7,M10.5.0", "CET-1CEST,M3.5.0,M10.5.0/3x", "<+03-3", "CET-25", "CET-1:60",
                           "CET-1CEST,M3.5.0,M10.5.0/168", "AAA3BBB,J0,J300", "CET-99999999999999"}) {
    try {
      LocalTimeZone::FromPosixRule(rule);
      ADD_FAILURE() << "accepted " << rule;
    } catch (const ArgumentException& e) {
      EXPECT_EQ(e.message, u"Invalid time zone rule \"" + WString(rule, rule + std::char_traits<char>::length(rule)) + u"\"");
    }
  }
}

TEST(DaylightChangesTest, LastSundayRulesIn2023And2024) {
  const LocalTimeZone zone = LocalTimeZone::FromPosixRule(kCentralEurope);
  const DaylightPeriod p2024 = zone.GetDaylightChanges(2024);
  ExpectLocal(p2024.start, Local(2024, 3, 31, 2), DateTimeKind::Local);
  ExpectLocal(p2024.end, Local(2024, 10, 27, 3), DateTimeKind::Local);
  EXPECT_EQ(p2024.delta, TimeSpan::FromHours(1));
  const DaylightPeriod p2023 = zone.GetDaylightChanges(2023);
  ExpectLocal(p2023.start, Local(2023, 3, 26, 2), DateTimeKind::Local);
  ExpectLocal(p2023.end, Local(2023, 10, 29, 3), DateTimeKind::Local);
}

TEST(DaylightChangesTest, NumberedOccurrences) {
  // Second Sunday of March, first Sunday of November.
  const LocalTimeZone zone = LocalTimeZone::FromPosixRule("EST5EDT,M3.2.0,M11.1.0");
  ExpectLocal(zone.GetDaylightChanges(2024).start, Local(2024, 3, 10, 2), DateTimeKind::Local);
  ExpectLocal(zone.GetDaylightChanges(2024).end, Local(2024, 11, 3, 2), DateTimeKind::Local);
  // When the month starts on the rule's weekday the first occurrence is the 1st.
  ExpectLocal(zone.GetDaylightChanges(2026).end, Local(2026, 11, 1, 2), DateTimeKind::Local);
  // The fourth Monday when a fifth exists is not the last.
  const LocalTimeZone fourth = LocalTimeZone::FromPosixRule("AAA3BBB,M3.4.1,M10.5.1");
  ExpectLocal(fourth.GetDaylightChanges(2024).start, Local(2024, 3, 25, 2), DateTimeKind::Local);
  ExpectLocal(fourth.GetDaylightChanges(2024).end, Local(2024, 10, 28, 2), DateTimeKind::Local);
}

TEST(DaylightChangesTest, YearRangeAndZonesWithoutDaylightTime) {
  const LocalTimeZone zone = LocalTimeZone::FromPosixRule(kCentralEurope);
  for (int year : {0, 10000}) {
    try {
      zone.GetDaylightChanges(year);
      ADD_FAILURE() << year;
    } catch (const ArgumentOutOfRangeException& e) {
      EXPECT_EQ(e.message, u"Valid values are between 1 and 9999, inclusive.\r\nParameter Name: year");
    }
  }
  EXPECT_NO_THROW(zone.GetDaylightChanges(9999));
  EXPECT_NO_THROW(zone.GetDaylightChanges(1));

  // A zero daylight bias means no daylight time even with rules and a non-zero id.
  TimeZoneInformation info = zone.Information();
  info.DaylightBias = 0;
  const DaylightPeriod none = LocalTimeZone(TimeZoneId::Standard, info).GetDaylightChanges(2024);
  EXPECT_EQ(none.start.Ticks(), 0);
  EXPECT_EQ(none.end.Ticks(), 0);
  EXPECT_EQ(none.delta, TimeSpan());
  EXPECT_EQ(LocalTimeZone(TimeZoneId::Unknown, zone.Information()).GetDaylightChanges(2024).delta, TimeSpan());
  info = zone.Information();
  info.DaylightDate = SystemTime();
  const LocalTimeZone noRule(TimeZoneId::Standard, info);
  EXPECT_EQ(noRule.GetDaylightChanges(2024).delta, TimeSpan());
  EXPECT_EQ(noRule.GetUtcOffset(DateTime(2024, 7, 1, DateTimeKind::Local)), TimeSpan::FromHours(1));
}

TEST(LocalTimeConversionTest, CentralEuropeAroundBothTransitions) {
  const LocalTimeZone zone = LocalTimeZone::FromPosixRule(kCentralEurope);
  ExpectLocal(zone.ToLocalTime(Utc(2024, 3, 31, 0, 59)), Local(2024, 3, 31, 1, 59), DateTimeKind::Local);
  ExpectLocal(zone.ToLocalTime(Utc(2024, 3, 31, 1)), Local(2024, 3, 31, 3), DateTimeKind::Local);
  ExpectLocal(zone.ToLocalTime(Utc(2024, 10, 26, 23, 59)), Local(2024, 10, 27, 1, 59), DateTimeKind::Local);
  // The repeated hour: first as daylight time (kind 3), then as standard time.
  ExpectLocal(zone.ToLocalTime(Utc(2024, 10, 27, 0, 30)), Local(2024, 10, 27, 2, 30), DateTimeKind::LocalAmbiguousDst);
  ExpectLocal(zone.ToLocalTime(Utc(2024, 10, 27, 1, 30)), Local(2024, 10, 27, 2, 30), DateTimeKind::Local);
  ExpectLocal(zone.ToLocalTime(Utc(2024, 10, 27, 2)), Local(2024, 10, 27, 3), DateTimeKind::Local);
  // Unspecified values are taken as universal; local ones stay as they are.
  ExpectLocal(zone.ToLocalTime(DateTime(2024, 7, 1, 12, 0, 0, 0)), Local(2024, 7, 1, 14), DateTimeKind::Local);
  const DateTime local = Local(2024, 7, 1, 12);
  ExpectLocal(zone.ToLocalTime(local), local, DateTimeKind::Local);
}

TEST(LocalTimeConversionTest, RepeatedHourConvertsBackByItsKind) {
  const LocalTimeZone zone = LocalTimeZone::FromPosixRule(kCentralEurope);
  for (const DateTime& utc : {Utc(2024, 10, 27, 0, 30), Utc(2024, 10, 27, 1, 30), Utc(2024, 3, 31, 1),
                              Utc(2024, 1, 1), Utc(2023, 10, 29, 0, 59)}) {
    const DateTime back = zone.ToUniversalTime(zone.ToLocalTime(utc));
    EXPECT_EQ(back.Ticks(), utc.Ticks()) << utc.Ticks();
    EXPECT_EQ(back.Kind(), DateTimeKind::Utc);
  }
  EXPECT_EQ(zone.GetUtcOffset(Local(2024, 10, 27, 2, 30)), TimeSpan::FromHours(1));
  EXPECT_EQ(zone.GetUtcOffset(zone.ToLocalTime(Utc(2024, 10, 27, 0, 30))), TimeSpan::FromHours(2));
}

TEST(LocalTimeConversionTest, UtcOffsets) {
  const LocalTimeZone zone = LocalTimeZone::FromPosixRule(kCentralEurope);
  EXPECT_EQ(zone.GetUtcOffset(Utc(2024, 7, 1)), TimeSpan());
  EXPECT_EQ(zone.GetUtcOffset(Local(2024, 7, 1)), TimeSpan::FromHours(2));
  EXPECT_EQ(zone.GetUtcOffset(DateTime(2024, 7, 1)), TimeSpan::FromHours(2));
  EXPECT_EQ(zone.GetUtcOffset(Local(2024, 1, 1)), TimeSpan::FromHours(1));
  // The skipped hour is not daylight time yet.
  EXPECT_EQ(zone.GetUtcOffset(Local(2024, 3, 31, 2, 30)), TimeSpan::FromHours(1));
  EXPECT_EQ(zone.GetUtcOffset(Local(2024, 3, 31, 3)), TimeSpan::FromHours(2));
  ExpectLocal(zone.ToUniversalTime(Local(2024, 7, 1, 14)), Utc(2024, 7, 1, 12), DateTimeKind::Utc);
  const DateTime utc = Utc(2024, 7, 1);
  ExpectLocal(zone.ToUniversalTime(utc), utc, DateTimeKind::Utc);
}

TEST(LocalTimeConversionTest, SouthernHemisphereDaylightSpansTheNewYear) {
  const LocalTimeZone zone = LocalTimeZone::FromPosixRule(kSydney);
  const DaylightPeriod period = zone.GetDaylightChanges(2024);
  ExpectLocal(period.start, Local(2024, 10, 6, 2), DateTimeKind::Local);
  ExpectLocal(period.end, Local(2024, 4, 7, 3), DateTimeKind::Local);
  ExpectLocal(zone.ToLocalTime(Utc(2024, 1, 15)), Local(2024, 1, 15, 11), DateTimeKind::Local);
  ExpectLocal(zone.ToLocalTime(Utc(2024, 7, 15)), Local(2024, 7, 15, 10), DateTimeKind::Local);
  ExpectLocal(zone.ToLocalTime(Utc(2024, 12, 31, 12)), Local(2024, 12, 31, 23), DateTimeKind::Local);
  // 2024-04-07 02:30 local occurs twice: 15:30 UTC (daylight) and 16:30 UTC (standard) the day before.
  ExpectLocal(zone.ToLocalTime(Utc(2024, 4, 6, 15, 30)), Local(2024, 4, 7, 2, 30), DateTimeKind::LocalAmbiguousDst);
  ExpectLocal(zone.ToLocalTime(Utc(2024, 4, 6, 16, 30)), Local(2024, 4, 7, 2, 30), DateTimeKind::Local);
  // Daylight time begins: 2024-10-05 15:59 UTC is 01:59 standard, 16:00 UTC is 03:00 daylight.
  ExpectLocal(zone.ToLocalTime(Utc(2024, 10, 5, 15, 59)), Local(2024, 10, 6, 1, 59), DateTimeKind::Local);
  ExpectLocal(zone.ToLocalTime(Utc(2024, 10, 5, 16)), Local(2024, 10, 6, 3), DateTimeKind::Local);
  EXPECT_EQ(zone.GetUtcOffset(Local(2024, 1, 15)), TimeSpan::FromHours(11));
  EXPECT_EQ(zone.GetUtcOffset(Local(2024, 7, 15)), TimeSpan::FromHours(10));
}

TEST(LocalTimeConversionTest, ZoneWithoutDaylightTimeDiffersByTheBiasAllYear) {
  const LocalTimeZone zone = LocalTimeZone::FromPosixRule("<+03>-3");
  for (int month = 1; month <= 12; ++month) {
    const DateTime utc = Utc(2024, month, 15, 22, 30);
    const DateTime local = zone.ToLocalTime(utc);
    EXPECT_EQ(local - utc, TimeSpan::FromHours(3));
    EXPECT_EQ(local.Kind(), DateTimeKind::Local);
    EXPECT_EQ(zone.ToUniversalTime(local).Ticks(), utc.Ticks());
  }
}

TEST(LocalTimeConversionTest, ResultsClampAtMinValueAndMaxValue) {
  const LocalTimeZone east = LocalTimeZone::FromPosixRule(kCentralEurope);
  const LocalTimeZone west = LocalTimeZone::FromPosixRule("EST5EDT,M3.2.0,M11.1.0");
  ExpectLocal(east.ToLocalTime(DateTime(DateTime::MaxTicks, DateTimeKind::Utc)), DateTime::MaxValue,
              DateTimeKind::Local);
  ExpectLocal(east.ToLocalTime(LocalTimeZone::FromPosixRule("<+03>-3").ToLocalTime(DateTime::MaxValue)),
              DateTime::MaxValue, DateTimeKind::Local);
  ExpectLocal(west.ToLocalTime(Utc(1, 1, 1, 3)), DateTime::MinValue, DateTimeKind::Local);
  ExpectLocal(west.ToLocalTime(Utc(1, 1, 1, 6)), Local(1, 1, 1, 1), DateTimeKind::Local);
  ExpectLocal(east.ToUniversalTime(Local(1, 1, 1)), DateTime::MinValue, DateTimeKind::Utc);
  ExpectLocal(west.ToUniversalTime(DateTime(DateTime::MaxTicks, DateTimeKind::Local)), DateTime::MaxValue,
              DateTimeKind::Utc);
}
