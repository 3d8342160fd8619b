// Block framing and the element search, over a small block declared here.
#include <gtest/gtest.h>

#include "block_bytes.h"
#include "model/bytes_element.h"
#include "model/code_page.h"
#include "model/string_element.h"
#include "model/tlv_block.h"

using namespace ZKTest;
using ZK::ElementPresence;

namespace {

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
      {{}, "Block size is smaller than minimum allowed"},
      {{0x03, 0x0D, 0x00}, "Block size is smaller than minimum allowed"},
      {{0x01, 0x0D, 0x00, 0x00}, "Declared block tag 0xD01 is different from required value 0xD03"},
      {declaredTen, "Element with tag 0xD03 has length 12, different from declared length 10"},
      {declaredMore, "Element with tag 0xD03 has length 6, different from declared length 262"},
      {{0x03, 0x0D, 0x00, 0x00}, "Mandatory element with tag 0x0630 not found in block"},
      {Block(0x0D03, {Element(0x0630, Ascii("1234"))}), "no exception"},
      {Block(0x0D03, {Element(0x0630, Ascii("12345"))}),
       "Length 5 of TLV element with tag 0x630 in given block is larger than maximum allowed 4"},
      // The maximum length applies to optional elements too.
      {Block(0x0D03, {Element(0x0630, Ascii("1")), Element(0x0632, Filled(4))}),
       "Length 4 of TLV element with tag 0x632 in given block is larger than maximum allowed 3"},
      {valueCut, "Element with tag 0x631 has length 3, different from declared length 4"},
      {Block(0x0D03, {Element(0x0630, Ascii("AB")), ByteArray{0x31, 0x06}}),
       "Element header at offset 10 runs past the end of the block of 12 bytes"},
  };
  for (const auto& [bytes, message] : cases) {
    SampleBlock block;
    EXPECT_EQ(CardError([&] { block.Decode(bytes); }), message) << bytes.size();
  }
  // The documented example.
  SampleBlock block;
  block.Decode({0x03, 0x0D, 0x06, 0x00, 0x30, 0x06, 0x02, 0x00, 0x31, 0x32});
  EXPECT_EQ(block.code.GetValue(), u"12");
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
              block.Decode(Block(0x0D03, {Element(0x0630, Ascii("AB")), Element(0x0631, Filled(7))}));
            }),
            "Length 7 of TLV element with tag 0x631 in given block is larger than maximum allowed 6");
  EXPECT_EQ(block.code.GetValue(), u"AB");
  EXPECT_EQ(block.extra.GetValue(), ByteArray{9});  // never visited
}

}  // namespace
