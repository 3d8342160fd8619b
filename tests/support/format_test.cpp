#include <gtest/gtest.h>

#include <climits>

#include "support/format.h"

using namespace TAVQ;

TEST(FormatStringTest, NumbersAndWidths) {
  EXPECT_EQ(FormatString(u"ErrorCode=%d", -1), u"ErrorCode=-1");
  EXPECT_EQ(FormatString("ErrorCode=%d", -1), "ErrorCode=-1");
  EXPECT_EQ(FormatString(u"%04X", 0x6A82u), u"6A82");
  EXPECT_EQ(FormatString(u"%04Xh", 0x9u), u"0009h");
  EXPECT_EQ(FormatString(u"0x%X", 0xD01u), u"0xD01");
  EXPECT_EQ(FormatString(u"%-5d|%5d", 42, 42), u"42   |   42");
  EXPECT_EQ(FormatString(u"%*d", 4, 7), u"   7");
  EXPECT_EQ(FormatString(u"%u", UINT_MAX), u"4294967295");
  EXPECT_EQ(FormatString(u"%lld %I64d", LLONG_MIN, 5LL), u"-9223372036854775808 5");
  EXPECT_EQ(FormatString(u"%hd", 70000), u"4464");
  EXPECT_EQ(FormatString(u"100%%"), u"100%");
}

TEST(FormatStringTest, StringConversionsFollowTheWindowsRuntime) {
  // wide format: %s wide, %S and %hs narrow
  EXPECT_EQ(FormatString(u"[%s][%S][%hs][%ls]", u"w", "n", "h", u"l"), u"[w][n][h][l]");
  // narrow format: %s narrow, %S and %ls wide
  EXPECT_EQ(FormatString("[%s][%S][%ls][%hs]", "n", u"w", u"l", "h"), "[n][w][l][h]");
  EXPECT_EQ(FormatString(u"Enter %hs %hs", "CDocReadService::InitCard", "reader"),
            u"Enter CDocReadService::InitCard reader");
  EXPECT_EQ(FormatString(u"%5s|%-3s|%.2s", u"ab", u"c", u"xyz"), u"   ab|c  |xy");
  EXPECT_EQ(FormatString(u"%s", static_cast<const char16_t*>(nullptr)), u"(null)");
}

TEST(FormatStringTest, NonAsciiTextCrossesWidths) {
  EXPECT_EQ(FormatString(u"%hs", "\xD0\x98\xD0\xB2"), u"\u0418\u0432");
  EXPECT_EQ(FormatString("%S", u"\u0418\u0432"), "\xD0\x98\xD0\xB2");
}

TEST(FormatStringTest, CharactersAndTheFirstZero) {
  EXPECT_EQ(FormatString(u"%c%c", u'A', u'\u0416'), u"A\u0416");
  EXPECT_EQ(FormatString("%c", 'z'), "z");
  // The result ends at the first zero character.
  EXPECT_EQ(FormatString(u"ab%cde", 0), u"ab");
}

TEST(FormatStringTest, NullFormatAndErrorsGiveEmptyText) {
  EXPECT_EQ(FormatString(static_cast<const char16_t*>(nullptr)), u"");
  EXPECT_EQ(FormatString(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(FormatString(u"abc %y", 1), u"");
  EXPECT_EQ(FormatString(u"abc %"), u"");
  EXPECT_EQ(FormatString(u"%n", nullptr), u"");
  EXPECT_EQ(FormatString(u""), u"");
}
