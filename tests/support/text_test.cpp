#include <gtest/gtest.h>

#include "support/os_info.h"
#include "support/text.h"

using namespace TAVQ;

TEST(Base64Test, LengthsAndPadding) {
  EXPECT_EQ(ToBase64({}), u"");
  EXPECT_EQ(ToBase64({'f'}), u"Zg==");
  EXPECT_EQ(ToBase64({'f', 'o'}), u"Zm8=");
  EXPECT_EQ(ToBase64({'f', 'o', 'o'}), u"Zm9v");
  EXPECT_EQ(ToBase64({'f', 'o', 'o', 'b'}), u"Zm9vYg==");
  EXPECT_EQ(ToBase64({'f', 'o', 'o', 'b', 'a'}), u"Zm9vYmE=");
  EXPECT_EQ(ToBase64({0xFB, 0xFF, 0xBF}), u"+/+/");
}

TEST(HexTest, RoundTripAndOddLength) {
  EXPECT_EQ(ToHexString({0x00, 0xAB, 0x7F}), u"00AB7F");
  EXPECT_EQ(FromHexString(u"00ab7f"), (ByteArray{0x00, 0xAB, 0x7F}));
  EXPECT_EQ(FromHexString(u"ABC"), (ByteArray{0xAB}));
  EXPECT_EQ(FromHexString(u""), ByteArray{});
  // Characters outside 0-9/A-F are not rejected; they give what the nibble rule gives.
  EXPECT_EQ(FromHexString(u"G0"), (ByteArray{0x00}));
}

TEST(ToUpperTest, ChangesOnlyAsciiLettersInPlace) {
  WString text = u"abc\u0436Z1";
  WString& result = ToUpper(text);
  EXPECT_EQ(&result, &text);
  EXPECT_EQ(text, u"ABC\u0436Z1");
}

TEST(NarrowTextTest, Utf8BothWays) {
  EXPECT_EQ(ToNarrow(u""), "");
  EXPECT_EQ(ToNarrow(u"Reader \u0416 \U0001F600"), "Reader \xD0\x96 \xF0\x9F\x98\x80");
  EXPECT_EQ(FromNarrow("Reader \xD0\x96 \xF0\x9F\x98\x80"), u"Reader \u0416 \U0001F600");
  EXPECT_EQ(ToNarrow(WString(1, u'\xD800')), "\xEF\xBF\xBD");
  EXPECT_EQ(FromNarrow("a\xFF" "b\xE0\x80"), u"a\uFFFDb\uFFFD\uFFFD");
}

TEST(OperatingSystemInfoTest, CachedCopiesAgree) {
  const OperatingSystemInfo first = GetOperatingSystemInfo();
  const OperatingSystemInfo second = GetOperatingSystemInfo();
  EXPECT_GT(first.majorVersion, 0u);
  EXPECT_EQ(first.majorVersion, second.majorVersion);
  EXPECT_EQ(first.buildNumber, second.buildNumber);
}
