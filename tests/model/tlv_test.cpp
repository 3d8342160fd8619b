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

constexpr ElementPresence M = ElementPresence::Mandatory, A = ElementPresence::Absent;

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

  ZK::StringElement code{0x0630, 4, M, ZK::kCodePageUsAscii};
  ZK::StringElement name{0x0631, 6, A, ZK::kCodePageUtf16};
  ZK::BytesElement extra{0x0632, 3, A};
};

TEST(TlvBlock, MalformedBlocksNameTagsLengthsAndOffsets) {
  const std::pair<ByteArray, std::string> cases[] = {
      {{0x03, 0x0D, 0x00}, "Block size is smaller than minimum allowed"},
      {{0x01, 0x0D, 0x00, 0x00}, "Declared block tag 0xD01 is different from required value 0xD03"},
      {{0x03, 0x0D, 10, 0, 0x30, 0x06, 8, 0, '1', '2', '3', '4', '5', '6', '7', '8'},
       "Element with tag 0xD03 has length 12, different from declared length 10"},
      {{0x03, 0x0D, 6, 1, 0x30, 0x06, 2, 0, '1', '2'},
       "Element with tag 0xD03 has length 6, different from declared length 262"},
      {{0x03, 0x0D, 0x00, 0x00}, "Mandatory element with tag 0x0630 not found in block"},
      {Block(0x0D03, {Element(0x0630, Ascii("12345"))}),
       "Length 5 of TLV element with tag 0x630 in given block is larger than maximum allowed 4"},
      // The maximum length applies to optional elements too.
      {Block(0x0D03, {Element(0x0630, Ascii("1")), Element(0x0632, ByteArray(4, 'A'))}),
       "Length 4 of TLV element with tag 0x632 in given block is larger than maximum allowed 3"},
      // A truncated element is malformed data: the search never reads past the block.
      {Block(0x0D03, {Element(0x0630, Ascii("AB")), ByteArray{0x31, 0x06, 0x04, 0x00, 'x', 0, 'y'}}),
       "Element with tag 0x631 has length 3, different from declared length 4"},
      {Block(0x0D03, {Element(0x0630, Ascii("AB")), ByteArray{0x31, 0x06}}),
       "Element header at offset 10 runs past the end of the block of 12 bytes"},
      // The whole body is walked, past the last element sought: an undeclared tag, a repeated one.
      {Block(0x0D03, {Element(0x0630, Ascii("A")), Element(0x0631, {}), Element(0x0632, {}), {0x33, 0x06, 0xFF, 0xFF}}),
       "Element with tag 0x633 has length 0, different from declared length 65535"},
      {Block(0x0D03, {Element(0x0630, Ascii("A")), Element(0x0631, {}), Element(0x0632, {}), {0x30, 0x06, 2, 0, 'A'}}),
       "Element with tag 0x630 has length 1, different from declared length 2"},
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
  // A failure stops decoding: earlier elements keep their new values, later ones their old.
  block.extra.SetValue({9});
  const ByteArray failing = Block(0x0D03, {Element(0x0630, Ascii("C")), Element(0x0631, ByteArray(7, 'A'))});
  EXPECT_EQ(CardError([&] { block.Decode(failing); }),
            "Length 7 of TLV element with tag 0x631 in given block is larger than maximum allowed 6");
  EXPECT_EQ(block.code.GetValue(), u"C");
  EXPECT_EQ(block.extra.GetValue(), ByteArray{9});
}

// Moving between absent and present is seen through the blocks above and the block objects.
TEST(ElementPresence, AMandatoryElementHasNoNullStateAnAbsentOneNoValue) {
  ZK::StringElement mandatory(0x0630, 11, M, ZK::kCodePageUsAscii), optional(0x0630, 11, A, ZK::kCodePageUsAscii);
  EXPECT_EQ(CardError([&] { mandatory.IsNull(); }), "Calling IsNull on mandatory value with tag 1584");
  EXPECT_EQ(CardError([&] { optional.GetValue(); }), "Referenced non-existent optional value with tag 1584");
  // A value that fails to decode leaves the element absent.
  ZK::DateElement date(0x0632, 8, A);
  const ByteArray badDate = Ascii("31022021");
  EXPECT_THROW(date.SetBytes(&badDate), TAVQ::ArgumentOutOfRangeException);
  EXPECT_TRUE(date.IsNull());
}

class ElementKinds : public testing::Test {
 protected:
  const ZK::NumberTable table{{0, Ascii("00")}, {1, Ascii("01")}, {1, Ascii("11")}, {2, Ascii("00")}};
  ZK::StringElement utf16{0x0630, 11, M, ZK::kCodePageUtf16}, ascii{0x0630, 11, M, ZK::kCodePageUsAscii};
  ZK::StringElement cp1252{0x0612, 15, M, 1252};  // other code pages are refused
  ZK::NumberElement number{0x0643, 2, M, table};
  ZK::DateElement date{0x0631, 8, M};
  ZK::BlockIdList list{0x0603, 128, M};
  ZK::BytesElement bytes{0x0650, 4, M};
};

TEST_F(ElementKinds, ValuesDecodeAndEncodeBack) {
  const std::tuple<ZK::TlvElement*, ByteArray, ByteArray> cases[] = {
      // An odd last UTF-16 byte is ignored; a lone surrogate is a code unit like any other.
      {&utf16, {'A', 0, 0x7D, 0x01, 'Z'}, {'A', 0, 0x7D, 0x01}},
      {&utf16, {0x16, 0x04, 'a', 0, 0x00, 0xD8}, {0x16, 0x04, 'a', 0, 0x00, 0xD8}},
      {&ascii, Ascii("AB 12\x7F"), Ascii("AB 12\x7F")},
      {&number, Ascii("11"), Ascii("01")}, {&number, Ascii("00"), Ascii("00")},  // the first entry wins both ways
      {&date, Ascii("15032021"), Ascii("15032021")},
      {&date, Ascii("1 3 2021"), Ascii("01032021")},  // fields end at a non-digit and skip leading blanks
      {&list, {0x01, 0x0D, 0x02, 0x0D}, {0x01, 0x0D, 0x02, 0x0D}},  // pairs, least significant byte first
      {&bytes, {0, 0xFF, 7}, {0, 0xFF, 7}},
  };
  for (const auto& [element, value, encoded] : cases) {
    element->Decode(value);
    EXPECT_EQ(Encoded(*element), encoded) << element->Tag() << " " << TAVQ::ToNarrow(TAVQ::ToHexString(value));
  }
  EXPECT_EQ(utf16.GetValue(), u"\u0416a\xD800");
  EXPECT_EQ(ascii.GetValue(), u"AB 12\x7F");
  EXPECT_EQ(number.GetValue(), 0);  // not 2
  EXPECT_EQ(date.GetValue(), DateTime(2021, 3, 1));
  EXPECT_EQ(date.GetValue().Kind(), TAVQ::DateTimeKind::Utc);
  EXPECT_EQ(list.GetValue(), (std::vector<std::uint16_t>{0x0D01, 0x0D02}));
  // A date is written as the calendar day of its value, without time zone conversion.
  date.SetValue(DateTime(1999, 12, 31, 23, 59, 59, 0, TAVQ::DateTimeKind::Local));
  EXPECT_EQ(Encoded(date), Ascii("31121999"));
}

TEST_F(ElementKinds, MalformedValuesAndUnencodableOnesAreRefused) {
  const std::string invalid = "Element with tag 0x643 has invalid value";
  const std::tuple<ZK::TlvElement*, ByteArray, std::string> cases[] = {
      {&number, Ascii("0"), invalid}, {&number, Ascii("000"), invalid}, {&number, {}, invalid},
      {&date, Ascii("1503202"), "Date element has incorrect size of 7"},
      {&date, Ascii("AB032021"), "Date element has incorrect format"},
      {&date, {'1', '5', '0', '3', 0, '0', '2', '1'}, "Date element has incorrect format"},  // a NUL ends the text
      {&list, {1, 2, 3}, "Element with tag 0x603 has incorrect size of 3"},
      {&cp1252, Ascii("x"), "Error 0x00000057 occurred while translating string with tag 1554"},
  };
  for (const auto& [element, value, message] : cases) {
    EXPECT_EQ(CardError([&] { element->Decode(value); }), message) << element->Tag() << " " << value.size();
  }
  ascii.Decode({'A', 0x80, 0xFF});
  EXPECT_EQ(ascii.GetValue(), u"A\uFFFD\uFFFD");
  for (const char16_t* text : {u"A\uFFFD", u"\u017D", u"abc\u0080"}) {
    ascii.SetValue(text);
    EXPECT_EQ(CardError([&] { Encoded(ascii); }), "Non-translatable characters found in string");
  }
  cp1252.SetValue(u"x");
  EXPECT_EQ(CardError([&] { Encoded(cp1252); }), "Error 0x00000057 occurred while translating string with tag 1554");
  number.SetValue(-5);  // SetValue checks no table
  EXPECT_EQ(CardError([&] { Encoded(number); }), "Number -5 is not valid value for tag 0x643");
}

}  // namespace
