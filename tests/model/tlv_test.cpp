// The TLV codec: block framing, the element search, presence rules and the value
// encodings of the text, number, date, list and bytes kinds.
#include <gtest/gtest.h>

#include "block_bytes.h"
#include "model/block_id_list.h"
#include "model/bytes_element.h"
#include "model/code_page.h"
#include "model/date_element.h"
#include "model/number_element.h"
#include "model/string_element.h"
#include "model/tlv_block.h"

using namespace ZKTest;
using TAVQ::DateTime;
using ZK::ElementPresence;

namespace {

ByteArray Encoded(const ZK::TlvElement& element) {
  ByteArray out{0xEE};  // Encode replaces, never appends
  element.Encode(out);
  return out;
}

class SampleBlock : public ZK::TlvBlock {
 public:
  SampleBlock() : TlvBlock(0x0D03) {}
  std::vector<ZK::TlvElement*> Elements() override { return {&code, &name, &extra}; }
  using TlvBlock::Elements;

  ZK::StringElement code{0x0630, 4, ElementPresence::Mandatory, ZK::kCodePageUsAscii};
  ZK::StringElement name{0x0631, 6, ElementPresence::Absent, ZK::kCodePageUtf16};
  ZK::BytesElement extra{0x0632, 3, ElementPresence::Absent};
};

TEST(TlvBlock, MalformedBlocksNameTagsLengthsAndOffsets) {
  ByteArray declaredTen = Block(0x0D03, {Element(0x0630, Ascii("12345678"))});
  declaredTen[2] = 10;
  ByteArray declaredMore = Block(0x0D03, {Element(0x0630, Ascii("12"))});
  declaredMore[3] = 0x01;  // 0x0106 declared, 6 present
  // A truncated element is malformed data: the search never reads past the block.
  ByteArray valueCut = Block(0x0D03, {Element(0x0630, Ascii("AB")), Element(0x0631, Utf16(u"xy"))});
  valueCut.resize(valueCut.size() - 1);
  valueCut[2] -= 1;
  const std::pair<ByteArray, std::string> cases[] = {
      {{0x03, 0x0D, 0x00}, "Block size is smaller than minimum allowed"},
      {{0x01, 0x0D, 0x00, 0x00}, "Declared block tag 0xD01 is different from required value 0xD03"},
      {declaredTen, "Element with tag 0xD03 has length 12, different from declared length 10"},
      {declaredMore, "Element with tag 0xD03 has length 6, different from declared length 262"},
      {{0x03, 0x0D, 0x00, 0x00}, "Mandatory element with tag 0x0630 not found in block"},
      {Block(0x0D03, {Element(0x0630, Ascii("12345"))}),
       "Length 5 of TLV element with tag 0x630 in given block is larger than maximum allowed 4"},
      // The maximum length applies to optional elements too.
      {Block(0x0D03, {Element(0x0630, Ascii("1")), Element(0x0632, ByteArray(4, 'A'))}),
       "Length 4 of TLV element with tag 0x632 in given block is larger than maximum allowed 3"},
      {valueCut, "Element with tag 0x631 has length 3, different from declared length 4"},
      {Block(0x0D03, {Element(0x0630, Ascii("AB")), ByteArray{0x31, 0x06}}),
       "Element header at offset 10 runs past the end of the block of 12 bytes"},
  };
  for (const auto& [bytes, message] : cases) {
    SampleBlock block;
    EXPECT_EQ(CardError([&] { block.Decode(bytes); }), message) << bytes.size();
  }
  // A value of the maximum length, written out byte by byte.
  SampleBlock block;
  block.Decode({0x03, 0x0D, 0x08, 0x00, 0x30, 0x06, 0x04, 0x00, '1', '2', '3', '4'});
  EXPECT_EQ(block.code.GetValue(), u"1234");
  EXPECT_TRUE(block.name.IsNull());
}

TEST(TlvBlock, UndeclaredTagsAreSkippedAndTheFirstOccurrenceCounts) {
  SampleBlock block;
  block.Decode(Block(0x0D03, {Element(0x0614, Ascii("skipped")), Element(0x0631, Utf16(u"one")),
                              Element(0x0630, Ascii("AB")), Element(0x0631, Utf16(u"two")),
                              Element(0x0630, Ascii("TOO LONG")), Element(0x0632, {})}));
  EXPECT_EQ(block.code.GetValue(), u"AB");
  EXPECT_EQ(block.name.GetValue(), u"one");
  EXPECT_FALSE(block.extra.IsNull());  // an empty value is present
  // Decoding again makes a missing optional element absent.
  block.Decode(Block(0x0D03, {Element(0x0630, Ascii("B"))}));
  EXPECT_TRUE(block.extra.IsNull());
  EXPECT_EQ(std::as_const(block).FindElement(0x0632), &block.extra);
  EXPECT_EQ(std::as_const(block).FindElement(0x0614), nullptr);
}

TEST(TlvBlock, AFailureStopsDecodingAndEarlierElementsKeepTheirValues) {
  SampleBlock block;
  block.extra.SetValue({9});
  EXPECT_EQ(CardError([&] {
              block.Decode(Block(0x0D03, {Element(0x0630, Ascii("AB")), Element(0x0631, ByteArray(7, 'A'))}));
            }),
            "Length 7 of TLV element with tag 0x631 in given block is larger than maximum allowed 6");
  EXPECT_EQ(block.code.GetValue(), u"AB");
  EXPECT_EQ(block.extra.GetValue(), ByteArray{9});  // never visited
}

TEST(ElementPresence, MandatoryNeverChangesOptionalMovesBetweenAbsentAndPresent) {
  ZK::StringElement mandatory(0x0630, 11, ElementPresence::Mandatory, ZK::kCodePageUsAscii);
  EXPECT_EQ(CardError([&] { mandatory.IsNull(); }), "Calling IsNull on mandatory value with tag 1584");
  EXPECT_EQ(CardError([&] { mandatory.SetBytes(nullptr); }), "Mandatory element with tag 0x0630 not found in block");

  ZK::StringElement optional(0x0630, 11, ElementPresence::Absent, ZK::kCodePageUsAscii);
  EXPECT_EQ(CardError([&] { optional.GetValue(); }), "Referenced non-existent optional value with tag 1584");
  const ByteArray value = Ascii("12");
  optional.SetBytes(&value);
  EXPECT_EQ(optional.Presence(), ElementPresence::Present);
  EXPECT_EQ(optional.GetBytes(), value);
  optional.SetBytes(nullptr);
  EXPECT_TRUE(optional.IsNull());
  optional.SetValue(u"7");
  EXPECT_EQ(optional.GetValue(), u"7");

  // A value that fails to decode leaves the element absent.
  ZK::DateElement date(0x0632, 8, ElementPresence::Absent);
  const ByteArray badDate = Ascii("31022021");
  EXPECT_THROW(date.SetBytes(&badDate), TAVQ::ArgumentOutOfRangeException);
  EXPECT_TRUE(date.IsNull());
}

TEST(StringElement, CodePagesBothWays) {
  struct Case {
    std::uint32_t codePage;
    ByteArray bytes;
    std::u16string text;
    ByteArray encoded;
  } const cases[] = {
      // An odd last UTF-16 byte is ignored; a lone surrogate is a code unit like any other.
      {ZK::kCodePageUtf16, {'A', 0, 0x7D, 0x01, 'Z'}, u"A\u017D", {'A', 0, 0x7D, 0x01}},
      {ZK::kCodePageUtf16, {0x16, 0x04, 'a', 0, 0x00, 0xD8}, u"\u0416a\xD800", {0x16, 0x04, 'a', 0, 0x00, 0xD8}},
      {ZK::kCodePageUsAscii, Ascii("AB 12\x7F"), u"AB 12\x7F", Ascii("AB 12\x7F")},
  };
  for (const Case& c : cases) {
    ZK::StringElement element(0x0630, 11, ElementPresence::Mandatory, c.codePage);
    element.Decode(c.bytes);
    EXPECT_EQ(element.GetValue(), c.text);
    EXPECT_EQ(Encoded(element), c.encoded);
  }
  ZK::StringElement ascii(0x0630, 11, ElementPresence::Mandatory, ZK::kCodePageUsAscii);
  ascii.Decode({'A', 0x80, 0xFF});
  EXPECT_EQ(ascii.GetValue(), u"A\uFFFD\uFFFD");
  for (const std::u16string& text : {std::u16string(u"A\uFFFD"), std::u16string(u"\u017D"), std::u16string(u"abc\u0080")}) {
    ascii.SetValue(text);
    EXPECT_EQ(CardError([&] { Encoded(ascii); }), "Non-translatable characters found in string");
  }
  // Other code pages are refused with the conversion error.
  ZK::StringElement other(0x0612, 15, ElementPresence::Mandatory, 1252);
  EXPECT_EQ(CardError([&] { other.Decode(Ascii("x")); }), "Error 0x00000057 occurred while translating string with tag 1554");
  other.SetValue(u"x");
  EXPECT_EQ(CardError([&] { Encoded(other); }), "Error 0x00000057 occurred while translating string with tag 1554");
}

TEST(NumberElement, TheFirstTableEntryWinsBothWaysAndOthersFail) {
  static const ZK::NumberTable table{{0, Ascii("00")}, {1, Ascii("01")}, {1, Ascii("11")}, {2, Ascii("00")}};
  ZK::NumberElement element(0x0643, 2, ElementPresence::Mandatory, table);
  element.Decode(Ascii("00"));
  EXPECT_EQ(element.GetValue(), 0);  // not 2
  element.Decode(Ascii("11"));
  EXPECT_EQ(element.GetValue(), 1);
  EXPECT_EQ(Encoded(element), Ascii("01"));
  for (const ByteArray& bad : {Ascii("0"), Ascii("000"), ByteArray{}}) {
    EXPECT_EQ(CardError([&] { element.Decode(bad); }), "Element with tag 0x643 has invalid value");
  }
  element.SetValue(-5);  // SetValue checks no table
  EXPECT_EQ(CardError([&] { Encoded(element); }), "Number -5 is not valid value for tag 0x643");
}

TEST(DateElement, EightDigitsDayMonthYearAsUtcMidnight) {
  ZK::DateElement element(0x0631, 8, ElementPresence::Mandatory);
  element.Decode(Ascii("15032021"));
  EXPECT_EQ(element.GetValue(), DateTime(2021, 3, 15));
  EXPECT_EQ(element.GetValue().Kind(), TAVQ::DateTimeKind::Utc);
  EXPECT_EQ(Encoded(element), Ascii("15032021"));
  element.Decode(Ascii("1 3 2021"));  // fields end at a non-digit and skip leading blanks
  EXPECT_EQ(element.GetValue(), DateTime(2021, 3, 1));
  // The calendar day of the value, without time zone conversion.
  element.SetValue(DateTime(1999, 12, 31, 23, 59, 59, 0, TAVQ::DateTimeKind::Local));
  EXPECT_EQ(Encoded(element), Ascii("31121999"));
  const std::pair<ByteArray, std::string> refused[] = {
      {Ascii("1503202"), "Date element has incorrect size of 7"},
      {Ascii("AB032021"), "Date element has incorrect format"},
      // A NUL ends the text: nothing beyond it is read.
      {{'1', '5', '0', '3', 0, '0', '2', '1'}, "Date element has incorrect format"},
  };
  for (const auto& [bytes, message] : refused) EXPECT_EQ(CardError([&] { element.Decode(bytes); }), message);
}

TEST(ListAndBytesElements, BytesPairsLeastSignificantFirstAndRawBytesUnchanged) {
  ZK::BlockIdList list(0x0603, 128, ElementPresence::Mandatory);
  list.Decode({0x01, 0x0D, 0x02, 0x0D});
  EXPECT_EQ(list.GetValue(), (std::vector<std::uint16_t>{0x0D01, 0x0D02}));
  EXPECT_EQ(Encoded(list), (ByteArray{0x01, 0x0D, 0x02, 0x0D}));
  const ByteArray odd{1, 2, 3};
  EXPECT_EQ(CardError([&] { list.Decode(odd); }), "Element with tag 0x603 has incorrect size of 3");
  ZK::BytesElement bytes(0x0650, 4, ElementPresence::Mandatory);
  bytes.Decode({0, 0xFF, 7});
  EXPECT_EQ(Encoded(bytes), (ByteArray{0, 0xFF, 7}));
}

}  // namespace
