// Presence rules and the value encodings of the text, number, list and bytes kinds.
#include <gtest/gtest.h>

#include "block_bytes.h"
#include "model/block_id_list.h"
#include "model/bytes_element.h"
#include "model/code_page.h"
#include "model/number_element.h"
#include "model/string_element.h"

using namespace ZKTest;
using ZK::ElementPresence;

namespace {

ZK::StringElement Utf16Text(ElementPresence presence = ElementPresence::Mandatory) {
  return {0x0641, 100, presence, ZK::kCodePageUtf16};
}
ZK::StringElement AsciiText(ElementPresence presence = ElementPresence::Mandatory) {
  return {0x0630, 11, presence, ZK::kCodePageUsAscii};
}

ByteArray Encoded(const ZK::TlvElement& element) {
  ByteArray out{0xEE};  // Encode replaces, never appends
  element.Encode(out);
  return out;
}

TEST(ElementPresence, MandatoryElementsRefuseIsNullAndNeverChange) {
  ZK::StringElement element = AsciiText();
  EXPECT_EQ(CardError([&] { element.IsNull(); }), "Calling IsNull on mandatory value with tag 1584");
  EXPECT_EQ(element.GetValue(), u"");  // a never-decoded mandatory element has its initial value
  element.SetValue(u"X");
  EXPECT_EQ(element.Presence(), ElementPresence::Mandatory);
  EXPECT_EQ(CardError([&] { element.SetBytes(nullptr); }), "Mandatory element with tag 0x0630 not found in block");
  EXPECT_EQ(element.Presence(), ElementPresence::Mandatory);
}

TEST(ElementPresence, OptionalElementsMoveBetweenAbsentAndPresent) {
  ZK::StringElement element = AsciiText(ElementPresence::Absent);
  EXPECT_TRUE(element.IsNull());
  EXPECT_EQ(CardError([&] { element.GetValue(); }), "Referenced non-existent optional value with tag 1584");
  EXPECT_FALSE(element.GetBytes().has_value());

  const ByteArray value = Ascii("12");
  element.SetBytes(&value);
  EXPECT_EQ(element.Presence(), ElementPresence::Present);
  EXPECT_EQ(element.GetValue(), u"12");
  EXPECT_EQ(element.GetBytes(), value);

  element.SetBytes(nullptr);
  EXPECT_TRUE(element.IsNull());

  element.SetValue(u"7");
  EXPECT_FALSE(element.IsNull());
  EXPECT_EQ(element.GetValue(), u"7");
}

TEST(ElementPresence, AValueThatFailsToDecodeLeavesTheElementAbsent) {
  ZK::BlockIdList list(0x0603, 128, ElementPresence::Absent);
  const ByteArray odd{1, 2, 3};
  EXPECT_EQ(CardError([&] { list.SetBytes(&odd); }), "Element with tag 0x603 has incorrect size of 3");
  EXPECT_TRUE(list.IsNull());
}

TEST(StringElementUtf16, CodeUnitsAsTheyAreAndAnOddLastByteIgnored) {
  ZK::StringElement element = Utf16Text();
  element.Decode({'A', 0, 0x7D, 0x01, 'Z'});
  EXPECT_EQ(element.GetValue(), u"A\u017D");
  element.Decode({});
  EXPECT_EQ(element.GetValue(), u"");

  element.SetValue(u"\u0416a\xD800");  // a lone surrogate is a code unit like any other
  EXPECT_EQ(Encoded(element), (ByteArray{0x16, 0x04, 'a', 0, 0x00, 0xD8}));
}

TEST(StringElementUsAscii, SevenBitTextRoundTrips) {
  ZK::StringElement element = AsciiText();
  element.Decode(Ascii("AB 12"));
  EXPECT_EQ(element.GetValue(), u"AB 12");
  EXPECT_EQ(Encoded(element), Ascii("AB 12"));

  element.Decode({});
  EXPECT_EQ(element.GetValue(), u"");
  EXPECT_EQ(Encoded(element), ByteArray{});
}

TEST(StringElementUsAscii, BytesAboveSevenBitsDecodeToTheReplacementCharacterAndDoNotEncode) {
  ZK::StringElement element = AsciiText();
  element.Decode({'A', 0x80, 0xFF});
  EXPECT_EQ(element.GetValue(), u"A\uFFFD\uFFFD");
  EXPECT_EQ(CardError([&] { Encoded(element); }), "Non-translatable characters found in string");
}

TEST(StringElementUsAscii, CharactersOutsideUsAsciiAreRefusedOnEncoding) {
  ZK::StringElement element = AsciiText();
  element.SetValue(u"\u017D");
  EXPECT_EQ(CardError([&] { Encoded(element); }), "Non-translatable characters found in string");
  element.SetValue(u"abc\u0080");
  EXPECT_EQ(CardError([&] { Encoded(element); }), "Non-translatable characters found in string");
  element.SetValue(u"\u007F");
  EXPECT_EQ(Encoded(element), ByteArray{0x7F});
}

TEST(StringElementEncoding, LengthIsCheckedOnlyWhenABlockIsDecoded) {
  ZK::StringElement element = AsciiText();
  element.SetValue(std::u16string(40, u'9'));
  EXPECT_EQ(Encoded(element).size(), 40u);
}

TEST(StringElementOtherCodePages, AreRefusedWithTheConversionError) {
  ZK::StringElement element(0x0612, 15, ElementPresence::Mandatory, 1252);
  EXPECT_EQ(CardError([&] { element.Decode(Ascii("x")); }),
            "Error 0x00000057 occurred while translating string with tag 1554");
  element.SetValue(u"x");
  EXPECT_EQ(CardError([&] { Encoded(element); }), "Error 0x00000057 occurred while translating string with tag 1554");
  element.Decode({});  // the empty value needs no conversion
  EXPECT_EQ(element.GetValue(), u"");
}

const ZK::NumberTable& TwoDigitTable() {
  static const ZK::NumberTable table{{0, Ascii("00")}, {1, Ascii("01")}, {1, Ascii("11")}, {2, Ascii("00")}};
  return table;
}

TEST(NumberElement, TheFirstTableEntryWinsBothWays) {
  ZK::NumberElement element(0x0643, 2, ElementPresence::Mandatory, TwoDigitTable());
  element.Decode(Ascii("00"));
  EXPECT_EQ(element.GetValue(), 0);  // not 2
  element.Decode(Ascii("11"));
  EXPECT_EQ(element.GetValue(), 1);
  EXPECT_EQ(Encoded(element), Ascii("01"));
}

TEST(NumberElement, BytesOrNumbersOutsideTheTableFail) {
  ZK::NumberElement element(0x0643, 2, ElementPresence::Mandatory, TwoDigitTable());
  EXPECT_EQ(CardError([&] { element.Decode(Ascii("0")); }), "Element with tag 0x643 has invalid value");
  EXPECT_EQ(CardError([&] { element.Decode(Ascii("000")); }), "Element with tag 0x643 has invalid value");
  EXPECT_EQ(CardError([&] { element.Decode({}); }), "Element with tag 0x643 has invalid value");
  element.SetValue(-5);
  EXPECT_EQ(element.GetValue(), -5);  // SetValue checks no table
  EXPECT_EQ(CardError([&] { Encoded(element); }), "Number -5 is not valid value for tag 0x643");
}

TEST(BlockIdList, PairsOfBytesLeastSignificantFirst) {
  ZK::BlockIdList list(0x0603, 128, ElementPresence::Mandatory);
  list.Decode({0x01, 0x0D, 0x02, 0x0D});
  EXPECT_EQ(list.GetValue(), (std::vector<std::uint16_t>{0x0D01, 0x0D02}));
  EXPECT_EQ(Encoded(list), (ByteArray{0x01, 0x0D, 0x02, 0x0D}));
  list.Decode({});
  EXPECT_TRUE(list.GetValue().empty());
  EXPECT_EQ(CardError([&] { list.Decode({1, 2, 3}); }), "Element with tag 0x603 has incorrect size of 3");
}

TEST(BytesElement, BytesPassUnchanged) {
  ZK::BytesElement element(0x0650, 4, ElementPresence::Mandatory);
  element.Decode({0, 0xFF, 7});
  EXPECT_EQ(element.GetValue(), (ByteArray{0, 0xFF, 7}));
  EXPECT_EQ(Encoded(element), (ByteArray{0, 0xFF, 7}));
}

}  // namespace
