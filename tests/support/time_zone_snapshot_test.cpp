#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "support/time_zone.h"
#include "support/time_zone_snapshot.h"
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

// Sets TZ for one test and puts the previous value back.
class ScopedTz {
 public:
  explicit ScopedTz(const char* value) {
    if (const char* old = std::getenv("TZ")) saved_ = old, hadValue_ = true;
    if (value) {
      setenv("TZ", value, 1);
    } else {
      unsetenv("TZ");
    }
  }
  ~ScopedTz() {
    if (hadValue_) {
      setenv("TZ", saved_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
  }

 private:
  std::string saved_;
  bool hadValue_ = false;
};

std::string Tzif(char version, const std::string& footer) {
  return std::string("TZif") + version + std::string(15, '\0') + std::string(24, '\0') + "\n" + footer + "\n";
}

}  // namespace

TEST(TzifFooterTest, FooterOfVersionTwoAndLaterFiles) {
  EXPECT_EQ(ReadTzifFooter(TemporaryFile(Tzif('2', "CET-1CEST,M3.5.0,M10.5.0/3")).path()),
            std::optional<std::string>("CET-1CEST,M3.5.0,M10.5.0/3"));
  EXPECT_EQ(ReadTzifFooter(TemporaryFile(Tzif('4', "<+03>-3")).path()), std::optional<std::string>("<+03>-3"));
}

TEST(TzifFooterTest, FilesWithoutAUsableFooter) {
  EXPECT_FALSE(ReadTzifFooter(TemporaryFile(Tzif('\0', "CET-1")).path()));
  EXPECT_FALSE(ReadTzifFooter(TemporaryFile(Tzif('2', "")).path()));
  EXPECT_FALSE(ReadTzifFooter(TemporaryFile("TZif2\nCET-1").path()));
  EXPECT_FALSE(ReadTzifFooter(TemporaryFile("not a zone file\nCET-1\n").path()));
  EXPECT_FALSE(ReadTzifFooter(TemporaryFile("").path()));
  EXPECT_FALSE(ReadTzifFooter(TemporaryFile("TZif2\n").path()));
  EXPECT_FALSE(ReadTzifFooter("/nonexistent/zone"));
}

TEST(TzifFooterTest, InstalledZoneFile) {
  const std::string path = "/usr/share/zoneinfo/Europe/Berlin";
  if (access(path.c_str(), R_OK) != 0) GTEST_SKIP() << "no zone database";
  EXPECT_EQ(ReadTzifFooter(path), std::optional<std::string>("CET-1CEST,M3.5.0,M10.5.0/3"));
}

TEST(TimeZoneSnapshotTest, RuleFromTheEnvironment) {
  ScopedTz tz("CET-1CEST,M3.5.0,M10.5.0/3");
  const LocalTimeZone zone = LoadTimeZoneSnapshot();
  EXPECT_EQ(zone.Information().Bias, -60);
  EXPECT_EQ(zone.Information().DaylightBias, -60);
  EXPECT_NE(zone.Id(), TimeZoneId::Unknown);
}

TEST(TimeZoneSnapshotTest, ZoneFileNamedByTheEnvironment) {
  const TemporaryFile file(Tzif('2', "<+03>-3"));
  {
    ScopedTz tz((":" + file.path()).c_str());
    EXPECT_EQ(LoadTimeZoneSnapshot().Information().Bias, -180);
  }
  {
    ScopedTz tz(file.path().c_str());
    EXPECT_EQ(LoadTimeZoneSnapshot().Information().Bias, -180);
  }
}

TEST(TimeZoneSnapshotTest, UnusableSettingsGiveUtc) {
  for (const char* value : {"", ":/nonexistent/zone", "no such zone!", "../../../../etc/passwd"}) {
    ScopedTz tz(value);
    const LocalTimeZone zone = LoadTimeZoneSnapshot();
    EXPECT_EQ(zone.Information().Bias, 0) << value;
    EXPECT_EQ(zone.Id(), TimeZoneId::Unknown) << value;
  }
  // A zone file whose footer is malformed.
  const TemporaryFile file(Tzif('2', "CET-1CEST,M3.5.0"));
  ScopedTz tz((":" + file.path()).c_str());
  EXPECT_EQ(LoadTimeZoneSnapshot().Information().Bias, 0);
}

TEST(TimeZoneSnapshotTest, ProcessWideSnapshotIsTakenOnce) {
  const LocalTimeZone& first = LocalTimeZone::Current();
  ScopedTz tz("<+05>-5");
  EXPECT_EQ(&LocalTimeZone::Current(), &first);
  EXPECT_EQ(LocalTimeZone::Current().Information().Bias, first.Information().Bias);
}
