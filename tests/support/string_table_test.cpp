#include "support/string_table.h"

#include <gtest/gtest.h>

using namespace TAVQ;

TEST(StringTableTest, TextsByIdWithNeutralFallbackAndEmptyGaps) {
  const std::pair<unsigned, WString> cases[] = {
      {0x5001, u"Invalid length. Must be multiple of 4."},
      {0x5005, u"\r\nParameter Name: "},
      {0x5016, u"Stream does not support seeking."},
      {0x5302, u"There is no a communication context associated with card."},
      {0x54C6, u"Certificate is not initialized."},
      {0x5601, u"The given key was not present in the map."},
      {0x5000, u""},  // block exists, entry empty
      {0x501F, u""},  // block exists, last entry empty
      {0x7000, u""},  // no such block
  };
  for (const auto& [id, text] : cases) EXPECT_EQ(LoadResourceString(id), text) << std::hex << id;
  EXPECT_EQ(LoadResourceString(0x5008, 0x0409), u"An unhandled exception was thrown.");
  EXPECT_EQ(LoadResourceFormat(0x500B, 1, 9999), u"Valid values are between 1 and 9999, inclusive.");
  EXPECT_EQ(LoadResourceFormat(0x7000, 1, 2), u"");
}
