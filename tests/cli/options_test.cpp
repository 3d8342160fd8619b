#include "cli/options.h"

#include <gtest/gtest.h>

using namespace Cli;

namespace {

Options Parse(std::vector<std::string> arguments) { return ParseOptions(arguments); }

TEST(OptionsTest, ReadDefaultsToAnyCardOnTheSelectedReader) {
  const Options options = Parse({"read"});
  EXPECT_EQ(options.command, Command::Read);
  EXPECT_FALSE(options.reader.has_value());
  EXPECT_EQ(options.cardId, 0xFFFF);
  EXPECT_FALSE(options.verify || options.checkOrigin || options.json);
}

TEST(OptionsTest, ReadTakesEveryOptionInBothSpellings) {
  Options options = Parse({"read", "--reader", "Virtual PCD 00 00", "--card-id", "7", "--verify", "--check-origin",
                           "--json"});
  EXPECT_EQ(options.reader, "Virtual PCD 00 00");
  EXPECT_EQ(options.cardId, 7);
  EXPECT_TRUE(options.verify && options.checkOrigin && options.json);

  options = Parse({"read", "--reader=A=B", "--card-id=any"});
  EXPECT_EQ(options.reader, "A=B");
  EXPECT_EQ(Parse({"read", "--reader=--odd name"}).reader, "--odd name");
  EXPECT_EQ(options.cardId, 0xFFFF);
  EXPECT_EQ(Parse({"read", "--card-id", "1"}).cardId, 1);
}

TEST(OptionsTest, BadCommandLinesAreUsageErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"scan"},
      {"read", "--card-id", "2"},
      {"read", "--card-id", "0xFFFF"},
      {"read", "--card-id"},
      {"read", "--reader"},
      {"read", "--reader="},
      {"read", "--reader", "--json"},
      {"read", "--card-id", "--verify"},
      {"read", "--verify=yes"},
      {"read", "--unknown"},
      {"read", "extra"},
      {"readers", "--verify"},
      {"select", "--reader", "A"},
      {"message"},
      {"message", "5", "6"},
      {"message", "--json=1", "5"},
  };
  for (const auto& arguments : bad) {
    EXPECT_THROW(ParseOptions(arguments), UsageError) << ::testing::PrintToString(arguments);
  }
}

TEST(OptionsTest, ErrorCodesAreTakenAsTheirThirtyTwoBits) {
  EXPECT_EQ(ParseErrorCode("0"), 0);
  EXPECT_EQ(ParseErrorCode("5"), 5);
  EXPECT_EQ(ParseErrorCode("0x80100069"), static_cast<std::int32_t>(0x80100069u));
  EXPECT_EQ(ParseErrorCode("0X8007139f"), static_cast<std::int32_t>(0x8007139Fu));
  EXPECT_EQ(ParseErrorCode("2148532329"), static_cast<std::int32_t>(0x80100069u));
  EXPECT_EQ(ParseErrorCode("-2146435063"), static_cast<std::int32_t>(0x80100009u));
  EXPECT_EQ(ParseErrorCode("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseErrorCode("4294967295"), -1);
  EXPECT_EQ(Parse({"message", "-1"}).code, -1);
}

TEST(OptionsTest, ErrorCodesOutsideThirtyTwoBitsOrNotNumbersAreRefused) {
  for (const char* text : {"", "-", "0x", "x5", "12abc", " 5", "+5", "--5", "-0x5", "4294967296", "-2147483649",
                           "0x100000000", "99999999999999999999999"}) {
    EXPECT_THROW(ParseErrorCode(text), UsageError) << text;
  }
}

}  // namespace
