#include "support/text.h"

#include <gtest/gtest.h>

using namespace TAVQ;

TEST(TextTest, Base64BothWaysAndHex) {
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
  EXPECT_EQ(ToNarrow(text), utf8);
  EXPECT_EQ(FromNarrow(utf8), text);
  // Lone surrogates one way; overlong, surrogate, cut-short and out-of-range sequences the other.
  EXPECT_EQ(ToUtf8(WString{u'a', 0xD800, u'b'}), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(ToUtf8(WString{u'x', 0xD83D}), "x\xEF\xBF\xBD");
  const std::pair<std::string, WString> invalid[] = {
      {"\xC0\x80", {0xFFFD, 0xFFFD}},
      {"\xED\xA0\x80", {0xFFFD, 0xFFFD, 0xFFFD}},
      {"\xF4\x90\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}},
      {"a\xFF" "b\xE0\x80", u"a\uFFFDb\uFFFD\uFFFD"},
  };
  for (const auto& [bytes, decoded] : invalid) EXPECT_EQ(FromUtf8(bytes), decoded) << bytes.size();
}
