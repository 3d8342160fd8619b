// Base64 text back to bytes: the inverse of ToBase64, refusing anything else.
#include <gtest/gtest.h>

#include "support/text.h"

using TAVQ::ByteArray;

namespace {

TEST(FromBase64Test, InvertsToBase64ForEveryPaddingLength) {
  ByteArray bytes;
  for (int length = 0; length < 12; ++length) {
    SCOPED_TRACE(length);
    EXPECT_EQ(TAVQ::FromBase64(TAVQ::ToBase64(bytes)), bytes);
    bytes.push_back(static_cast<std::uint8_t>(length * 53 + 251));
  }
  EXPECT_EQ(TAVQ::FromBase64(u"TWFu"), (ByteArray{'M', 'a', 'n'}));
  EXPECT_EQ(TAVQ::FromBase64(u"+/8="), (ByteArray{0xFB, 0xFF}));
}

TEST(FromBase64Test, RefusesTextThatIsNoBase64) {
  for (const char16_t* text : {u"TWF", u"TWFuT", u"TW=u", u"T===", u"====", u"TQ==TWFu", u"TW u", u"TWF\u00e9",
                               u"TW-u", u"TWFu\n"}) {
    SCOPED_TRACE(TAVQ::ToUtf8(text));
    EXPECT_EQ(TAVQ::FromBase64(text), std::nullopt);
  }
}

}  // namespace
