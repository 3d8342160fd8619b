// Time zones from rules, zone files and the environment, and local time conversions.
#include "support/time_zone.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "fakes/raised.h"
#include "support/datetime.h"
#include "support/exception.h"
#include "support/text.h"
#include "support/time_zone_snapshot.h"

using namespace TAVQ;
using Fakes::Raised;

namespace {

const char* const kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";
const char* const kSydney = "AEST-10AEDT,M10.1.0,M4.1.0/3";
const char* const kEastern = "EST5EDT,M3.2.0,M11.1.0";

DateTime Utc(int y, int mo, int d, int h = 0, int mi = 0) { return DateTime(y, mo, d, h, mi, 0, 0, DateTimeKind::Utc); }
DateTime Local(int y, int mo, int d, int h = 0, int mi = 0) {
  return DateTime(y, mo, d, h, mi, 0, 0, DateTimeKind::Local);
}
constexpr DateTimeKind kAmbiguous = DateTimeKind::LocalAmbiguousDst;

void ExpectAt(const DateTime& value, const DateTime& expected, DateTimeKind kind) {
  EXPECT_EQ(value.Ticks(), expected.Ticks()) << ToNarrow(value.Format(u"%Y-%m-%d %H:%M"));
  EXPECT_EQ(value.Kind(), kind);
}

std::vector<int> RuleOf(const SystemTime& rule) {
  EXPECT_EQ(rule.wYear, 0);
  return {rule.wMonth, rule.wDay, rule.wDayOfWeek, rule.wHour, rule.wMinute};
}

struct TemporaryFile {
  explicit TemporaryFile(const std::string& content) { std::ofstream(path, std::ios::binary) << content; }
  ~TemporaryFile() { std::remove(path.c_str()); }
  static inline int count = 0;
  const std::string path = testing::TempDir() + "kavrin-tzif-" + std::to_string(getpid()) + "-" + std::to_string(++count);
};

// Sets TZ for one scope and puts the previous value back.
struct ScopedTz {
  explicit ScopedTz(const std::string& value) { setenv("TZ", value.c_str(), 1); }
  ~ScopedTz() { saved ? setenv("TZ", saved->c_str(), 1) : unsetenv("TZ"); }
  const std::optional<std::string> saved = std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
};

std::string Tzif(char version, const std::string& footer) {
  return std::string("TZif") + version + std::string(39, '\0') + "\n" + footer + "\n";
}

}  // namespace

TEST(PosixRuleTest, RulesMapOntoThePlatformRecord) {
  // Rule; bias and daylight bias; daylight and standard dates as month, occurrence, weekday, hour, minute.
  const std::tuple<const char*, std::vector<long>, std::vector<int>, std::vector<int>> cases[] = {
      {kCentralEurope, {-60, -60}, {3, 5, 0, 2, 0}, {10, 5, 0, 3, 0}},
      {"NST3:30NDT,M3.2.0,M11.1.0", {210, -60}, {3, 2, 0, 2, 0}, {11, 1, 0, 2, 0}},
      {"<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", {-630, -30}, {10, 1, 0, 2, 0}, {4, 1, 0, 2, 0}},
      {"EST5EDT", {300, -60}, {3, 2, 0, 2, 0}, {11, 1, 0, 2, 0}},  // a daylight name alone takes the US rules
      // Times outside one day move to another weekday.
      {"<-02>2<-01>,M3.5.0/-1,M10.5.0/0", {120, -60}, {3, 5, 6, 23, 0}, {10, 5, 0, 0, 0}},
      // Negative daylight time is held with the later offset as standard.
      {"IST-1GMT0,M10.5.0,M3.5.0/1", {0, -60}, {3, 5, 0, 1, 0}, {10, 5, 0, 2, 0}},
  };
  for (const auto& [rule, biases, daylight, standard] : cases) {
    SCOPED_TRACE(rule);
    const TimeZoneInformation info = LocalTimeZone::FromPosixRule(rule).Information();
    EXPECT_EQ((std::vector<long>{info.Bias, info.DaylightBias}), biases);
    EXPECT_EQ(info.StandardBias, 0);
    EXPECT_EQ(RuleOf(info.DaylightDate), daylight);
    EXPECT_EQ(RuleOf(info.StandardDate), standard);
  }
  const LocalTimeZone cet = LocalTimeZone::FromPosixRule(kCentralEurope);
  EXPECT_EQ(cet.StandardName() + u"/" + cet.DaylightName(), u"CET/CEST");
  EXPECT_EQ(cet.Id(), TimeZoneId::Standard);
}

TEST(PosixRuleTest, MalformedRulesAreRefusedWithTheRuleInTheMessage) {
  for (const char* rule : {"", "C-1", "CET", "CET-1CEST,M3.5.0", "CET-1CEST,M13.5.0,M10.5.0", "CET-1CEST,M3.6.0,M10.5.0",
                           "CET-1CEST,M3.5.7,M10.5.0", "CET-1CEST,M3.5.0,M10.5.0/3x", "<+03-3", "CET-25", "CET-1:60",
                           "CET-1CEST,M3.5.0,M10.5.0/168", "AAA3BBB,J0,J300", "CET-99999999999999"}) {
    EXPECT_EQ(Raised<ArgumentException>([&] { LocalTimeZone::FromPosixRule(rule); }).message,
              u"Invalid time zone rule \"" + FromNarrow(rule) + u"\"");
  }
}

TEST(DaylightChangesTest, ZonesWithoutDaylightTimeAndTheYearRange) {
  const LocalTimeZone cet = LocalTimeZone::FromPosixRule(kCentralEurope);
  TimeZoneInformation noBias = cet.Information(), noRule = cet.Information();
  noBias.DaylightBias = 0;
  noRule.DaylightDate = SystemTime();
  // Day-of-year rules, a zero daylight bias or no rule: no daylight time.
  const LocalTimeZone zones[] = {LocalTimeZone::FromPosixRule("AAA3BBB,J60,J300"),
                                 LocalTimeZone::FromPosixRule("AAA3BBB,59,299/3"),
                                 LocalTimeZone::FromPosixRule("EST5EDT,0/0,J365/25"),
                                 LocalTimeZone(TimeZoneId::Standard, noBias), LocalTimeZone(TimeZoneId::Standard, noRule)};
  for (const LocalTimeZone& zone : zones) {
    EXPECT_EQ(zone.GetDaylightChanges(2024).delta, TimeSpan());
    EXPECT_EQ(zone.GetUtcOffset(Local(2024, 7, 1)), TimeSpan::FromMinutes(-zone.Information().Bias));
  }
  EXPECT_EQ(Raised<ArgumentOutOfRangeException>([&] { cet.GetDaylightChanges(0); }).message,
            u"Valid values are between 1 and 9999, inclusive.\r\nParameter Name: year");
  EXPECT_THROW(cet.GetDaylightChanges(10000), ArgumentOutOfRangeException);
  EXPECT_EQ(cet.GetUtcOffset(Utc(2024, 7, 1)), TimeSpan());
  EXPECT_EQ(cet.GetUtcOffset(DateTime(2024, 7, 1)), TimeSpan::FromHours(2));  // unspecified is universal
  EXPECT_EQ(cet.GetUtcOffset(Local(2024, 3, 31, 2, 30)), TimeSpan::FromHours(1));  // the skipped hour: not daylight yet
}

TEST(LocalTimeConversionTest, AroundTransitionsBothHemispheres) {
  struct Case {
    const char* rule;
    DateTime utc, local;
    DateTimeKind kind = DateTimeKind::Local;
  } const cases[] = {
      {kCentralEurope, Utc(2024, 3, 31, 1), Local(2024, 3, 31, 3)},
      // The repeated hour: first as daylight time (kind 3), then as standard time.
      {kCentralEurope, Utc(2024, 10, 27, 0, 30), Local(2024, 10, 27, 2, 30), kAmbiguous},
      {kCentralEurope, Utc(2024, 10, 27, 1, 30), Local(2024, 10, 27, 2, 30)},
      {kCentralEurope, Utc(2024, 10, 27, 2), Local(2024, 10, 27, 3)},
      // Unspecified values are taken as universal, local ones kept as they are.
      {kCentralEurope, DateTime(2024, 7, 1, 12, 0, 0, 0), Local(2024, 7, 1, 14)},
      {kCentralEurope, Local(2024, 7, 1, 12), Local(2024, 7, 1, 12)},
      // The month starts on the rule's weekday: the first occurrence is the 1st.
      {kEastern, Utc(2026, 3, 8, 7), Local(2026, 3, 8, 3)},
      {"AAA3BBB,M3.4.1,M10.5.1", Utc(2024, 3, 25, 5), Local(2024, 3, 25, 3)},
      {kSydney, Utc(2024, 4, 6, 15, 30), Local(2024, 4, 7, 2, 30), kAmbiguous},
      {kSydney, Utc(2024, 4, 6, 16, 30), Local(2024, 4, 7, 2, 30)},
      {kSydney, Utc(2024, 10, 5, 16), Local(2024, 10, 6, 3)},
      {"IST-1GMT0,M10.5.0,M3.5.0/1", Utc(2024, 7, 1, 12), Local(2024, 7, 1, 13)},
      {"<+03>-3", Utc(2024, 12, 31, 22, 30), Local(2025, 1, 1, 1, 30)},
      // Results clamp at MinValue and MaxValue.
      {kCentralEurope, DateTime(DateTime::MaxTicks, DateTimeKind::Utc), DateTime::MaxValue},
      {kEastern, Utc(1, 1, 1, 3), DateTime::MinValue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rule << " " << ToNarrow(c.utc.Format(u"%Y-%m-%d %H:%M")));
    const LocalTimeZone zone = LocalTimeZone::FromPosixRule(c.rule);
    ExpectAt(zone.ToLocalTime(c.utc), c.local, c.kind);
    if (c.local.Ticks() != DateTime::MaxTicks && c.local.Ticks() != 0 && c.utc.Kind() == DateTimeKind::Utc) {
      ExpectAt(zone.ToUniversalTime(zone.ToLocalTime(c.utc)), c.utc, DateTimeKind::Utc);
    }
  }
  const DateTime first = LocalTimeZone::FromPosixRule(kCentralEurope).ToUniversalTime(Local(1, 1, 1));
  ExpectAt(first, DateTime::MinValue, DateTimeKind::Utc);
}

TEST(TimeZoneSnapshotTest, RuleOrZoneFileFromTheEnvironmentElseUtc) {
  // Only well-formed zone files of version 2 and later give their footer rule.
  const TemporaryFile plus3(Tzif('2', "<+03>-3")), version1(Tzif('\0', "CET-1"));
  const TemporaryFile malformed(Tzif('2', "CET-1CEST,M3.5.0")), noFooter(Tzif('2', "")), noZone("not a zone\nCET-1\n");
  const std::pair<std::string, long> cases[] = {
      {"CET-1CEST,M3.5.0,M10.5.0/3", -60}, {":" + plus3.path, -180}, {plus3.path, -180}, {"", 0},
      {":" + malformed.path, 0}, {":" + version1.path, 0}, {":" + noFooter.path, 0}, {":" + noZone.path, 0},
      {":/nonexistent/zone", 0},
  };
  for (const auto& [tz, bias] : cases) {
    ScopedTz scoped(tz);
    const LocalTimeZone zone = LoadTimeZoneSnapshot();
    EXPECT_EQ(zone.Information().Bias, bias) << tz;
    EXPECT_EQ(zone.Id() == TimeZoneId::Unknown, bias != -60) << tz;
  }
  // The process-wide snapshot is taken once.
  const LocalTimeZone& first = LocalTimeZone::Current();
  ScopedTz tz("<+05>-5");
  EXPECT_EQ(&LocalTimeZone::Current(), &first);
}
