#include "support/time_zone_snapshot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "support/time_zone.h"
#include "support/time_zone_tzif.h"

using namespace TAVQ;

namespace {

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

TEST(TzifFooterTest, FooterOnlyFromWellFormedVersionTwoAndLaterFiles) {
  EXPECT_EQ(ReadTzifFooter(TemporaryFile(Tzif('2', "CET-1CEST,M3.5.0,M10.5.0/3")).path),
            std::optional<std::string>("CET-1CEST,M3.5.0,M10.5.0/3"));
  EXPECT_EQ(ReadTzifFooter(TemporaryFile(Tzif('4', "<+03>-3")).path), std::optional<std::string>("<+03>-3"));
  for (const std::string& content : {Tzif('\0', "CET-1"), Tzif('2', ""), std::string("TZif2\nCET-1"),
                                     std::string("not a zone file\nCET-1\n"), std::string()}) {
    EXPECT_FALSE(ReadTzifFooter(TemporaryFile(content).path)) << content;
  }
  EXPECT_FALSE(ReadTzifFooter("/nonexistent/zone"));
}

TEST(TimeZoneSnapshotTest, RuleOrZoneFileFromTheEnvironmentElseUtc) {
  const TemporaryFile plus3(Tzif('2', "<+03>-3"));
  const TemporaryFile malformed(Tzif('2', "CET-1CEST,M3.5.0"));
  const std::pair<std::string, long> cases[] = {
      {"CET-1CEST,M3.5.0,M10.5.0/3", -60}, {":" + plus3.path, -180}, {plus3.path, -180},
      {"", 0}, {"no such zone!", 0}, {"../../../../etc/passwd", 0}, {":" + malformed.path, 0},
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
