// The command line of kavrin-hc, and one that cannot be understood.
#include "cli/options.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "cli/run.h"

using namespace Cli;

namespace {

using Arguments = std::vector<std::string>;

struct Printed { int status; std::string out, err; };

Printed RunCli(const Arguments& arguments) {
  std::ostringstream out, err;
  const int status = Run(arguments, out, err);
  return {status, out.str(), err.str()};
}

TEST(OptionsTest, EachCommandAndReadsOptionsInBothSpellings) {
  const std::pair<Arguments, Command> commands[] = {
      {{"readers"}, Command::Readers}, {{"select"}, Command::Select}, {{"message", "5"}, Command::Message},
      {{"help"}, Command::Help},       {{"-h"}, Command::Help},       {{"--help"}, Command::Help}};
  for (const auto& [arguments, command] : commands) EXPECT_EQ(ParseOptions(arguments).command, command) << arguments[0];

  Options options = ParseOptions({"read"});
  EXPECT_EQ(options.command, Command::Read);
  EXPECT_FALSE(options.reader || options.trustAnchors || options.verify || options.checkOrigin || options.json);
  EXPECT_EQ(options.cardId, 0xFFFF);
  EXPECT_EQ(options.timeoutSeconds, 30u);

  options = ParseOptions({"read", "--reader", "Virtual PCD 00 00", "--card-id", "7", "--verify", "--check-origin",
                          "--json", "--trust-anchors", "ca.pem", "--timeout", "0"});
  EXPECT_EQ(options.reader, "Virtual PCD 00 00");
  EXPECT_EQ(options.cardId, 7);
  EXPECT_TRUE(options.verify && options.checkOrigin && options.json);
  EXPECT_EQ(options.trustAnchors, "ca.pem");
  EXPECT_EQ(options.timeoutSeconds, 0u);

  options = ParseOptions({"read", "--reader=--odd=name", "--card-id=1", "--trust-anchors=a b.pem", "--verify",
                          "--timeout=86400"});
  EXPECT_EQ(options.reader, "--odd=name");
  EXPECT_EQ(options.cardId, 1);
  EXPECT_EQ(options.trustAnchors, "a b.pem");
  EXPECT_EQ(options.timeoutSeconds, 86400u);
  EXPECT_EQ(ParseOptions({"read", "--card-id", "any"}).cardId, 0xFFFF);
}

// With --json anywhere on the line, the same failure is one JSON error object on standard output.
TEST(OptionsTest, ALineThatCannotBeUnderstoodExitsTwoWithItsReasonAndTheUsage) {
  const std::string timeout = "--timeout must be a number of seconds from 0 to 86400, not: ";
  const std::pair<Arguments, std::string> cases[] = {
      {{}, "a command is required"},
      {{"scan"}, "unknown command: scan"},
      {{"read", "--card-id", "2"}, "--card-id must be 1, 7 or any, not: 2"},
      {{"read", "--card-id"}, "--card-id needs a value"},
      {{"read", "--reader", "--json=1"}, "--reader needs a value"},
      {{"read", "--reader="}, "--reader needs a reader name"},
      {{"read", "--verify=yes"}, "--verify takes no value"},
      {{"read", "--unknown"}, "unexpected argument: --unknown"},
      {{"read", "extra"}, "unexpected argument: extra"},
      {{"readers", "--verify"}, "unexpected argument: --verify"},
      {{"read", "--trust-anchors", "ca.pem"}, "--trust-anchors needs --verify"},
      {{"read", "--verify", "--trust-anchors="}, "--trust-anchors needs a file name"},
      {{"message"}, "message needs an error code"},
      {{"message", "5", "6"}, "unexpected argument: 6"},
      {{"message", "--json=1", "5"}, "--json takes no value"},
      {{"message", "0x1FFFFFFFF"}, "error code out of range: 0x1FFFFFFFF"},
      {{"\xC3\x28"}, "unknown command: \\xC3("},
      {{"read", "--timeout=86401"}, timeout + "86401"},
      {{"read", "--timeout=-1"}, timeout + "-1"},
      {{"read", "--timeout=5s"}, timeout + "5s"},
      {{"read", "--timeout=99999999999999999999"}, timeout + "99999999999999999999"},
      {{"frobnicate", "--json"}, "unknown command: frobnicate"},
      {{"read", "--reader", "--json"}, "--reader needs a value"},
      {{"readers", "--json=yes", "--json"}, "--json takes no value"},
      {{"read", "\xFF\x1B", "--json"}, "unexpected argument: \\xFF\\x1B"},
  };
  for (const auto& [arguments, reason] : cases) {
    SCOPED_TRACE(reason);
    const Printed printed = RunCli(arguments);
    EXPECT_EQ(printed.status, 2);
    if (arguments.empty() || arguments.back() != "--json") {
      EXPECT_EQ(printed.out, "");
      EXPECT_EQ(printed.err.rfind("kavrin-hc: " + reason + "\n\nusage: kavrin-hc", 0), 0u) << printed.err;
    } else {
      EXPECT_EQ(printed.err, "");
      EXPECT_EQ(nlohmann::json::parse(printed.out),
                (nlohmann::json{{"error", {{"hresult", "0x80070057"}, {"message", reason}}}}));
    }
  }
}

TEST(OptionsTest, WordsThatAreNotPrintableUtf8AreEscapedNotEchoed) {
  const std::pair<std::string, std::string> cases[] = {
      {"\xD0\x9A\xD0\xB0", "\xD0\x9A\xD0\xB0"},     // Cyrillic stays
      {"\xF0\x9F\x92\xB3", "\xF0\x9F\x92\xB3"},     // four bytes stay
      {"a\xFF" "b", "a\\xFFb"},                      // never a lead byte
      {"\xC3", "\\xC3"},                             // cut short at the end
      {"\xC0\xAF", "\\xC0\\xAF"},                    // overlong slash
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},           // a UTF-16 surrogate
      {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},  // past U+10FFFF
      {"tab\there\x7F", "tab\\x09here\\x7F"},
  };
  for (const auto& [word, shown] : cases) EXPECT_EQ(PrintableWord(word), shown);
}

TEST(OptionsTest, ErrorCodesAreTakenAsTheirThirtyTwoBits) {
  const std::pair<const char*, std::uint32_t> accepted[] = {
      {"0", 0},
      {"0x80100069", 0x80100069u},
      {"0X8007139f", 0x8007139Fu},
      {"2148532329", 0x80100069u},
      {"-2147483648", 0x80000000u},
      {"4294967295", 0xFFFFFFFFu},
  };
  for (const auto& [text, code] : accepted) EXPECT_EQ(ParseErrorCode(text), static_cast<std::int32_t>(code)) << text;
  for (const char* text : {"", "0x", "12abc", " 5", "+5", "-0x5", "4294967296", "-2147483649", "0x100000000"}) {
    EXPECT_THROW(ParseErrorCode(text), UsageError) << text;
  }
}

}  // namespace
