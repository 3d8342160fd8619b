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

class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& content) {
    char name[] = "/tmp/kavrin-tzif-XXXXXX";
    const int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    if (fd >= 0) close(fd);
    path_ = name;
    std::ofstream(path_, std::ios::binary) << content;
  }
  ~TemporaryFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Sets TZ for one scope and puts the previous value back.
class ScopedTz {
 public:
  explicit ScopedTz(const std::string& value) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", value.c_str(), 1);
  }
  ~ScopedTz() { saved_ ? setenv("TZ", saved_->c_str(), 1) : unsetenv("TZ"); }

 private:
  std::optional<std::string> saved_;
};

std::string Tzif(char version, const std::string& footer) {
  return std::string("TZif") + version + std::string(15, '\0') + std::string(24, '\0') + "\n" + footer + "\n";
}

}  // namespace

TEST(TzifFooterTest, FooterOnlyFromWellFormedVersionTwoAndLaterFiles) {
  EXPECT_EQ(ReadTzifFooter(TemporaryFile(Tzif('2', "CET-1CEST,M3.5.0,M10.5.0/3")).path()),
            std::optional<std::string>("CET-1CEST,M3.5.0,M10.5.0/3"));
  EXPECT_EQ(ReadTzifFooter(TemporaryFile(Tzif('4', "<+03>-3")).path()), std::optional<std::string>("<+03>-3"));
  for (const std::string& content : {Tzif('\0', "CET-1"), Tzif('2', ""), std::string("TZif2\nCET-1"),
                                     std::string("not a zone file\nCET-1\n"), std::string(), std::string("TZif2\n")}) {
    EXPECT_FALSE(ReadTzifFooter(TemporaryFile(content).path())) << content;
  }
  EXPECT_FALSE(ReadTzifFooter("/nonexistent/zone"));
  const std::string installed = "/usr/share/zoneinfo/Europe/Berlin";
  if (access(installed.c_str(), R_OK) == 0) {
    EXPECT_EQ(ReadTzifFooter(installed), std::optional<std::string>("CET-1CEST,M3.5.0,M10.5.0/3"));
  }
}

TEST(TimeZoneSnapshotTest, RuleOrZoneFileFromTheEnvironmentElseUtc) {
  const TemporaryFile plus3(Tzif('2', "<+03>-3"));
  const TemporaryFile malformed(Tzif('2', "CET-1CEST,M3.5.0"));
  const std::pair<std::string, long> cases[] = {
      {"CET-1CEST,M3.5.0,M10.5.0/3", -60}, {":" + plus3.path(), -180}, {plus3.path(), -180},
      {"", 0}, {":/nonexistent/zone", 0}, {"no such zone!", 0}, {"../../../../etc/passwd", 0},
      {":" + malformed.path(), 0},
  };
  for (const auto& [tz, bias] : cases) {
    ScopedTz scoped(tz);
    const LocalTimeZone zone = LoadTimeZoneSnapshot();
    EXPECT_EQ(zone.Information().Bias, bias) << tz;
    EXPECT_EQ(zone.Id() == TimeZoneId::Unknown, bias != -60) << tz;
  }
}

TEST(TimeZoneSnapshotTest, ProcessWideSnapshotIsTakenOnce) {
  const LocalTimeZone& first = LocalTimeZone::Current();
  ScopedTz tz("<+05>-5");
  EXPECT_EQ(&LocalTimeZone::Current(), &first);
  EXPECT_EQ(LocalTimeZone::Current().Information().Bias, first.Information().Bias);
}
