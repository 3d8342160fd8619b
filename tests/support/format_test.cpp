#include "support/format.h"

#include <gtest/gtest.h>

#include <climits>

using namespace TAVQ;

TEST(FormatStringTest, ConversionsFollowTheWindowsRuntime) {
  const std::pair<WString, WString> wide[] = {
      {FormatString(u"%04X|%04Xh|0x%X|%d", 0x6A82u, 0x9u, 0xD01u, -1), u"6A82|0009h|0xD01|-1"},
      {FormatString(u"%-5d|%5d|%*d|%u", 42, 42, 4, 7, UINT_MAX), u"42   |   42|   7|4294967295"},
      {FormatString(u"%lld %I64d", LLONG_MIN, 5LL), u"-9223372036854775808 5"},
      {FormatString(u"%9d|%I32d|%hhd|%hd|100%%", 1, -2, 5, 70000), u"        1|-2|5|4464|100%"},
      // Wide format: %s wide, %S and %hs narrow.
      {FormatString(u"[%s][%S][%hs][%ls]", u"w", "n", "h", u"l"), u"[w][n][h][l]"},
      {FormatString(u"%5s|%-3s|%.2s", u"ab", u"c", u"xyz"), u"   ab|c  |xy"},
      {FormatString(u"%s", static_cast<const char16_t*>(nullptr)), u"(null)"},
      {FormatString(u"%hs|%c%c", "\xD0\x98\xD0\xB2", u'A', u'\u0416'), u"\u0418\u0432|A\u0416"},
      // The result ends at the first zero character.
      {FormatString(u"ab%cde", 0), u"ab"},
      // A null format and errors give empty text.
      {FormatString(static_cast<const char16_t*>(nullptr)), u""},
      {FormatString(u"abc %y", 1), u""},
      {FormatString(u"abc %"), u""},
      {FormatString(u"%n", nullptr), u""},
  };
  for (const auto& [actual, expected] : wide) EXPECT_EQ(actual, expected);
  // Narrow format: %s narrow, %S and %ls wide.
  EXPECT_EQ(FormatString("[%s][%S][%ls][%hs] %d %c", "n", u"w", u"l", "h", -1, 'z'), "[n][w][l][h] -1 z");
  EXPECT_EQ(FormatString("%S", u"\u0418\u0432"), "\xD0\x98\xD0\xB2");
}
