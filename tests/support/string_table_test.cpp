#include <gtest/gtest.h>

#include "support/string_table.h"

using namespace TAVQ;

TEST(StringTableTest, EveryListedTextIsFound) {
  EXPECT_EQ(LoadResourceString(0x5001), u"Invalid length. Must be multiple of 4.");
  EXPECT_EQ(LoadResourceString(0x5005), u"\r\nParameter Name: ");
  EXPECT_EQ(LoadResourceString(0x500A), u"An unrecognized Win32Exception was thrown.");
  EXPECT_EQ(LoadResourceString(0x5016), u"Stream does not support seeking.");
  EXPECT_EQ(LoadResourceString(0x5302), u"There is no a communication context associated with card.");
  EXPECT_EQ(LoadResourceString(0x54C6), u"Certificate is not initialized.");
  EXPECT_EQ(LoadResourceString(0x5601), u"The given key was not present in the map.");
}

TEST(StringTableTest, OtherLanguagesFallBackToNeutral) {
  EXPECT_EQ(LoadResourceString(0x5008, 0x0409), u"An unhandled exception was thrown.");
}

TEST(StringTableTest, MissingStringsAreEmpty) {
  EXPECT_EQ(LoadResourceString(0x5000), u"");  // block exists, entry empty
  EXPECT_EQ(LoadResourceString(0x501F), u"");  // block exists, last entry empty
  EXPECT_EQ(LoadResourceString(0x7000), u"");  // no such block
}

TEST(StringTableTest, FormatFillsTheArguments) {
  EXPECT_EQ(LoadResourceFormat(0x500B, 1, 9999), u"Valid values are between 1 and 9999, inclusive.");
  EXPECT_EQ(LoadResourceFormat(0x7000, 1, 2), u"");
}
