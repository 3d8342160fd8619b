#include <gtest/gtest.h>

#include "support/datetime.h"
#include "support/exception.h"
#include "support/system_time.h"
#include "support/time_zone.h"

using namespace TAVQ;

namespace {

const char* const kZones[] = {"UTC0",
                              "CET-1CEST,M3.5.0,M10.5.0/3",
                              "AEST-10AEDT,M10.1.0,M4.1.0/3",
                              "EST5EDT,M3.2.0,M11.1.0",
                              "<+14>-14",
                              "<-12>12",
                              "<+0545>-5:45",
                              "NZST-12NZDT,M9.5.0,M4.1.0/3",
                              "IST-1GMT0,M10.5.0,M3.5.0/1"};

// A DateTime read out as an OLE DATE: to file time, to SYSTEMTIME, to DATE.
OleDate ToOleDate(const DateTime& value, const LocalTimeZone& zone) {
  SystemTime st;
  EXPECT_TRUE(FileTimeToSystemTime(static_cast<std::uint64_t>(value.ToFileTime(zone)), st));
  OleDate date = -1.0;
  EXPECT_TRUE(SystemTimeToVariantTime(st, date));
  return date;
}

// An OLE DATE written into a DateTime: to SYSTEMTIME, then from SYSTEMTIME.
DateTime FromOleDate(OleDate date, const LocalTimeZone& zone) {
  SystemTime st;
  EXPECT_TRUE(VariantTimeToSystemTime(date, st));
  return DateTime::FromSystemTime(st, zone);
}

}  // namespace

TEST(FileTimeTest, EpochIsZeroAndOneTickEarlierFails) {
  const LocalTimeZone utc = LocalTimeZone::Utc();
  EXPECT_EQ(DateTime(1601, 1, 1, DateTimeKind::Utc).ToFileTime(utc), 0);
  try {
    DateTime(DateTime::FileTimeOffset - 1, DateTimeKind::Utc).ToFileTime(utc);
    ADD_FAILURE() << "no exception";
  } catch (const ArgumentOutOfRangeException& e) {
    EXPECT_EQ(e.paramName, u"");
    EXPECT_EQ(e.message, u"Not a valid Win32 FileTime.\r\nParameter Name: ");
  }
  // Never-set dates (0 ticks) cannot be turned into a file time either.
  EXPECT_THROW(DateTime().ToFileTime(utc), ArgumentOutOfRangeException);
}

TEST(FileTimeTest, LocalValuesAreTakenToUniversalTimeFirst) {
  const LocalTimeZone zone = LocalTimeZone::FromPosixRule("CET-1CEST,M3.5.0,M10.5.0/3");
  const std::int64_t utc = DateTime(2024, 7, 1, 10, 0, 0, 0, DateTimeKind::Utc).ToFileTime(zone);
  EXPECT_EQ(DateTime(2024, 7, 1, 12, 0, 0, 0, DateTimeKind::Local).ToFileTime(zone), utc);
  // Unspecified values are taken as they are.
  EXPECT_EQ(DateTime(2024, 7, 1, 10, 0, 0, 0).ToFileTime(zone), utc);
  // Local 1601-01-01 00:30 east of Greenwich is still 1600 in universal time.
  EXPECT_THROW(DateTime(1601, 1, 1, 0, 30, 0, 0, DateTimeKind::Local).ToFileTime(zone), ArgumentOutOfRangeException);
}

TEST(FileTimeTest, FromFileTimeRangeAndKind) {
  const DateTime epoch = DateTime::FromFileTimeUtc(0);
  EXPECT_EQ(epoch.Ticks(), DateTime::FileTimeOffset);
  EXPECT_EQ(epoch.Kind(), DateTimeKind::Utc);
  EXPECT_EQ(DateTime::FromFileTimeUtc(DateTime::MaxTicks - DateTime::FileTimeOffset).Ticks(), DateTime::MaxTicks);
  for (std::int64_t ft : {DateTime::MaxTicks - DateTime::FileTimeOffset + 1, std::int64_t{-1}}) {
    try {
      DateTime::FromFileTimeUtc(ft);
      ADD_FAILURE() << ft;
    } catch (const ArgumentOutOfRangeException& e) {
      EXPECT_EQ(e.message, u"Not a valid Win32 FileTime.\r\nParameter Name: ft");
    }
  }
}

TEST(FromSystemTimeTest, ReadsUniversalTimeAndGivesLocalTime) {
  const LocalTimeZone zone = LocalTimeZone::FromPosixRule("CET-1CEST,M3.5.0,M10.5.0/3");
  SystemTime st;
  st.wYear = 2024;
  st.wMonth = 10;
  st.wDay = 27;
  st.wMinute = 30;
  const DateTime repeated = DateTime::FromSystemTime(st, zone);
  EXPECT_EQ(repeated.Ticks(), DateTime(2024, 10, 27, 2, 30, 0, 0).Ticks());
  EXPECT_EQ(repeated.Kind(), DateTimeKind::LocalAmbiguousDst);
  // A SYSTEMTIME that cannot be converted counts as file time 0.
  st.wMonth = 13;
  const DateTime fallback = DateTime::FromSystemTime(st, zone);
  EXPECT_EQ(fallback.Ticks(), DateTime(1601, 1, 1, 1, 0, 0, 0).Ticks());
  EXPECT_EQ(fallback.Kind(), DateTimeKind::Local);
}

TEST(OleDateRoundTripTest, CardDateIs44270InEveryZone) {
  for (const char* rule : kZones) {
    const LocalTimeZone zone = LocalTimeZone::FromPosixRule(rule);
    const DateTime card(2021, 3, 15, DateTimeKind::Utc);
    EXPECT_EQ(ToOleDate(card, zone), 44270.0) << rule;
    // Written back, the value is local time and reads as the same DATE.
    const DateTime written = FromOleDate(44270.0, zone);
    EXPECT_TRUE(written.IsLocal()) << rule;
    EXPECT_EQ(ToOleDate(written, zone), 44270.0) << rule;
  }
}

TEST(OleDateRoundTripTest, WrittenDatesReadBackToTheSecondAcrossTransitions) {
  const LocalTimeZone zone = LocalTimeZone::FromPosixRule("CET-1CEST,M3.5.0,M10.5.0/3");
  const DateTime instants[] = {DateTime(2024, 10, 27, 0, 30, 0, 0, DateTimeKind::Utc),
                               DateTime(2024, 10, 27, 1, 30, 0, 0, DateTimeKind::Utc),
                               DateTime(2024, 3, 31, 1, 0, 0, 0, DateTimeKind::Utc),
                               DateTime(1899, 12, 29, 6, 0, 0, 0, DateTimeKind::Utc)};
  for (const DateTime& instant : instants) {
    const OleDate date = ToOleDate(instant, zone);
    EXPECT_EQ(ToOleDate(FromOleDate(date, zone), zone), date) << date;
  }
}
