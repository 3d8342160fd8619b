// The command line that cannot be understood: the same failure as text or, with
// --json anywhere on the line, as a JSON error object; no word shown raw when it is
// not valid UTF-8 or holds control characters. And --timeout.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/run.h"

namespace {

struct Printed {
  int status;
  std::string out;
  std::string err;
};

Printed RunCli(const std::vector<std::string>& arguments) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = Cli::Run(arguments, out, err);
  return {status, out.str(), err.str()};
}

TEST(UsageErrorsTest, WithJsonTheFailureIsOneJsonErrorObjectOnStandardOutput) {
  const std::vector<std::vector<std::string>> lines = {
      {"frobnicate", "--json"},
      {"read", "--json", "--card-id", "9"},
      {"read", "--reader", "--json"},
      {"message", "--json"},
      {"read", "--json", "--timeout", "soon"},
      {"readers", "--json=yes", "--json"},
  };
  for (const auto& line : lines) {
    SCOPED_TRACE(line[0] + " " + line[1]);
    const Printed printed = RunCli(line);
    EXPECT_EQ(printed.status, 2);
    EXPECT_EQ(printed.err, "");
    const auto json = nlohmann::json::parse(printed.out);
    ASSERT_EQ(json.size(), 1u);
    EXPECT_EQ(json.at("error").at("hresult"), "0x80070057");
    EXPECT_FALSE(json.at("error").at("message").get<std::string>().empty());
  }
}

TEST(UsageErrorsTest, WithoutJsonTheFailureAndTheUsageGoToStandardError) {
  const Printed printed = RunCli({"read", "--card-id", "9"});
  EXPECT_EQ(printed.status, 2);
  EXPECT_EQ(printed.out, "");
  EXPECT_EQ(printed.err.rfind("kavrin-hc: --card-id must be 1, 7 or any, not: 9\n\nusage: kavrin-hc", 0), 0u)
      << printed.err;
}

TEST(UsageErrorsTest, WordsThatAreNotPrintableUtf8AreEscapedNotEchoed) {
  const struct {
    std::string word;
    std::string shown;
  } cases[] = {
      {"plain", "plain"},
      {"\xD0\x9A\xD0\xB0", "\xD0\x9A\xD0\xB0"},        // Cyrillic stays
      {"\xF0\x9F\x92\xB3", "\xF0\x9F\x92\xB3"},        // four bytes stay
      {"a\xFF" "b", "a\\xFFb"},                         // never a lead byte
      {"\xC3", "\\xC3"},                                // cut short at the end
      {"\xC3(", "\\xC3("},                              // lead without its continuation
      {"\xC0\xAF", "\\xC0\\xAF"},                       // overlong slash
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},              // a UTF-16 surrogate
      {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},     // past U+10FFFF
      {"\x1B[31mred", "\\x1B[31mred"},                  // terminal escape
      {"tab\there\x7F", "tab\\x09here\\x7F"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    EXPECT_EQ(Cli::PrintableWord(c.word), c.shown);
  }
  const Printed printed = RunCli({"read", "\xFF\x1B", "--json"});
  EXPECT_EQ(nlohmann::json::parse(printed.out)["error"]["message"], "unexpected argument: \\xFF\\x1B");
  EXPECT_EQ(RunCli({"\xC3\x28"}).err.rfind("kavrin-hc: unknown command: \\xC3(\n", 0), 0u);
}

TEST(UsageErrorsTest, TimeoutTakesWholeSecondsUpToADay) {
  const struct {
    std::string value;
    unsigned seconds;  // 0 with refused: a usage error
    bool refused;
  } cases[] = {
      {"30", 30, false}, {"0", 0, false},       {"86400", 86400, false}, {"86401", 0, true},
      {"-1", 0, true},   {"1.5", 0, true},      {"", 0, true},           {"99999999999999999999", 0, true},
      {"5s", 0, true},   {"0000007", 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    if (c.refused) {
      EXPECT_THROW(Cli::ParseOptions({"read", "--timeout=" + c.value}), Cli::UsageError);
    } else {
      EXPECT_EQ(Cli::ParseOptions({"readers", "--timeout", c.value}).timeoutSeconds, c.seconds);
    }
  }
  EXPECT_EQ(Cli::ParseOptions({"read"}).timeoutSeconds, 30u);
}

}  // namespace
