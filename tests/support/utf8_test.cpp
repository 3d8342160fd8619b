#include "support/text.h"

#include <gtest/gtest.h>

using TAVQ::FromUtf8;
using TAVQ::ToUtf8;

namespace {

TEST(Utf8Test, RoundTripsEveryPlane) {
  const TAVQ::WString text = u"Jelena \u0408\u0435\u043B\u0435\u043D\u0430 \U0001F600 \u20AC";
  const std::string utf8 = ToUtf8(text);
  EXPECT_EQ(utf8, "Jelena \xD0\x88\xD0\xB5\xD0\xBB\xD0\xB5\xD0\xBD\xD0\xB0 \xF0\x9F\x98\x80 \xE2\x82\xAC");
  EXPECT_EQ(FromUtf8(utf8), text);
}

TEST(Utf8Test, LoneSurrogatesBecomeTheReplacementCharacter) {
  EXPECT_EQ(ToUtf8(TAVQ::WString{u'a', 0xD800, u'b'}), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(ToUtf8(TAVQ::WString{0xDC00}), "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(TAVQ::WString{u'x', 0xD83D}), "x\xEF\xBF\xBD");
}

TEST(Utf8Test, InvalidSequencesBecomeTheReplacementCharacter) {
  EXPECT_EQ(FromUtf8("\xC0\x80"), (TAVQ::WString{0xFFFD, 0xFFFD}));   // overlong NUL
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), (TAVQ::WString{0xFFFD, 0xFFFD, 0xFFFD}));  // an encoded surrogate
  EXPECT_EQ(FromUtf8("a\xE2\x82"), (TAVQ::WString{u'a', 0xFFFD, 0xFFFD}));     // cut short
  EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), (TAVQ::WString{0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}));  // past U+10FFFF
  EXPECT_EQ(FromUtf8("\xFF"), TAVQ::WString{0xFFFD});
}

}  // namespace
