// Text conversions, printf-style formatting, the string table and exception messages.
#include "support/text.h"

#include <gtest/gtest.h>

#include <climits>

#include "support/exception.h"
#include "support/format.h"
#include "support/last_error.h"
#include "support/string_table.h"

using namespace TAVQ;

TEST(TextTest, Base64BothWaysHexAndUpperCase) {
  const std::pair<ByteArray, WString> base64[] = {
      {{}, u""}, {{'f'}, u"Zg=="}, {{'f', 'o'}, u"Zm8="}, {{'f', 'o', 'o'}, u"Zm9v"}, {{0xFB, 0xFF, 0xBF}, u"+/+/"},
  };
  for (const auto& [bytes, text] : base64) {
    EXPECT_EQ(ToBase64(bytes), text) << bytes.size();
    EXPECT_EQ(FromBase64(text), bytes) << bytes.size();
  }
  EXPECT_EQ(FromBase64(u"+/8="), (ByteArray{0xFB, 0xFF}));
  for (const char16_t* text : {u"TWF", u"TWFuT", u"TW=u", u"T===", u"====", u"TQ==TWFu", u"TW u", u"TWF\u00e9",
                               u"TW-u", u"TWFu\n"}) {
    EXPECT_EQ(FromBase64(text), std::nullopt) << ToUtf8(text);
  }
  EXPECT_EQ(ToHexString({0x00, 0xAB, 0x7F}), u"00AB7F");
  EXPECT_EQ(FromHexString(u"00ab7f"), (ByteArray{0x00, 0xAB, 0x7F}));
  EXPECT_EQ(FromHexString(u"ABC"), (ByteArray{0xAB}));
  WString text = u"abc\u0436Z1";
  EXPECT_EQ(ToUpper(text), u"ABC\u0436Z1");
}

TEST(TextTest, Utf8BothWaysWithReplacementCharacters) {
  const WString text = u"Jelena \u0408\u0435\u043B\u0435\u043D\u0430 \U0001F600 \u20AC";
  const std::string utf8 = "Jelena \xD0\x88\xD0\xB5\xD0\xBB\xD0\xB5\xD0\xBD\xD0\xB0 \xF0\x9F\x98\x80 \xE2\x82\xAC";
  EXPECT_EQ(ToUtf8(text), utf8);
  EXPECT_EQ(FromUtf8(utf8), text);
  // Lone surrogates one way; overlong, surrogate, cut-short and out-of-range sequences the other.
  EXPECT_EQ(ToUtf8(WString{u'a', 0xD800, u'b', 0xD83D}), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  const std::pair<std::string, WString> invalid[] = {
      {"\xC0\x80", u"\uFFFD\uFFFD"}, {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, {"a\xFF" "b\xE0\x80", u"a\uFFFDb\uFFFD\uFFFD"},
  };
  for (const auto& [bytes, decoded] : invalid) EXPECT_EQ(FromUtf8(bytes), decoded) << bytes.size();
}

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
      {FormatString(static_cast<const char16_t*>(nullptr)), u""}, {FormatString(u"abc %y", 1), u""},
      {FormatString(u"abc %"), u""}, {FormatString(u"%n", nullptr), u""},
  };
  for (const auto& [actual, expected] : wide) EXPECT_EQ(actual, expected);
  // Narrow format: %s narrow, %S and %ls wide.
  EXPECT_EQ(FormatString("[%s][%S][%ls][%hs] %d %c", "n", u"w", u"l", "h", -1, 'z'), "[n][w][l][h] -1 z");
  EXPECT_EQ(FormatString("%S", u"\u0418\u0432"), "\xD0\x98\xD0\xB2");
}

TEST(ExceptionTest, MessagesOfEachKind) {
  const char* const unrecognized = "An unrecognized Win32Exception was thrown.";
  SetLastErrorValue(5);
  const std::pair<Exception, std::string> cases[] = {
      {ArgumentException(u"Invalid public key", u"publicKeyDer"), "Invalid public key\r\nParameter Name: publicKeyDer"},
      {ArgumentException(u"Bad"), "Bad"},
      {JavaCard::AppletException(0x6A82), "An unhandled exception was thrown."},
      {Win32Exception("CreateFile"), "Access is denied."},
      {Win32Exception("Op", 122), "The data area passed to a system call is too small."},
      {Win32Exception("Op", static_cast<std::int32_t>(0x80070057u)), "The parameter is incorrect."},
      {Win32Exception("Op", 70000), unrecognized},
      {PCSC::PCSCWin32Exception("SCardConnect", static_cast<std::int32_t>(0x8010FFFFu)), unrecognized},
  };
  for (const auto& [e, message] : cases) EXPECT_EQ(ToNarrow(e.message), message);
}

TEST(StringTableTest, TextsByIdWithNeutralFallbackAndEmptyGaps) {
  // The last entry of a block is empty; block 0x7000 does not exist.
  const std::pair<unsigned, WString> cases[] = {
      {0x5001, u"Invalid length. Must be multiple of 4."}, {0x5601, u"The given key was not present in the map."},
      {0x501F, u""}, {0x7000, u""},
  };
  for (const auto& [id, text] : cases) EXPECT_EQ(LoadResourceString(id), text) << std::hex << id;
  EXPECT_EQ(LoadResourceString(0x5008, 0x0409), u"An unhandled exception was thrown.");
}
