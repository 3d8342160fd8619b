// The card engine's own block declarations and the SOD layout.
#include <gtest/gtest.h>

#include "fakes/raised.h"

#include <functional>

#include "card/block_cache.h"
#include "card/card_header_block.h"
#include "card/sod_block.h"
#include "card/sod_registry.h"
#include "support/exception.h"
#include "support/text.h"

using Fakes::MessageOf;
using TAVQ::ByteArray;

namespace {


ByteArray Element(std::uint16_t tag, const ByteArray& value) {
  ByteArray out = {static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(tag >> 8),
                   static_cast<std::uint8_t>(value.size()), static_cast<std::uint8_t>(value.size() >> 8)};
  out.insert(out.end(), value.begin(), value.end());
  return out;
}

ByteArray Block(std::uint16_t tag, const ByteArray& body) { return Element(tag, body); }

ByteArray HeaderBody(const ByteArray& documentId, const ByteArray& present) {
  ByteArray body = Element(0x0601, documentId);
  const ByteArray version = Element(0x0602, {'0', '1'});
  const ByteArray list = Element(0x0603, present);
  body.insert(body.end(), version.begin(), version.end());
  body.insert(body.end(), list.begin(), list.end());
  return body;
}

TEST(CardHeaderBlockTest, DecodesDocumentIdAndPresentBlocks) {
  CardHeaderBlock header;
  header.Decode(Block(0x0D00, HeaderBody({'0', '7'}, {0x00, 0x0D, 0x01, 0x0D, 0x05, 0x0D})));
  EXPECT_EQ(header.DocumentID().GetValue(), 7);
  EXPECT_EQ(header.PresentBlocks().GetValue(), (std::vector<std::uint16_t>{0x0D00, 0x0D01, 0x0D05}));
}

TEST(CardHeaderBlockTest, RefusesUnknownDocumentIdOddListAndMissingElements) {
  EXPECT_EQ(MessageOf([] { CardHeaderBlock().Decode(Block(0x0D00, HeaderBody({'0', '2'}, {}))); }),
            "Element with tag 0x601 has invalid value");
  EXPECT_EQ(MessageOf([] {
              CardHeaderBlock().Decode(Block(0x0D00, HeaderBody({'0', '1'}, {0, 0x0D, 1, 0x0D, 2})));
            }),
            "Element with tag 0x603 has incorrect size of 5");
  EXPECT_EQ(MessageOf([] { CardHeaderBlock().Decode(Block(0x0D00, Element(0x0601, {'0', '1'}))); }),
            "Mandatory element with tag 0x0602 not found in block");
  EXPECT_EQ(MessageOf([] { CardHeaderBlock().Decode(Block(0x0D00, HeaderBody({'0', '1'}, ByteArray(130, 0)))); }),
            "Length 130 of TLV element with tag 0x603 in given block is larger than maximum allowed 128");
}

TEST(SodBlockTest, TakesTheSignedDataOfItsOwnElementTag) {
  const ByteArray der = {0x30, 0x03, 0x02, 0x01, 0x00};
  const struct {
    std::uint16_t sod;
    std::uint16_t tag;
  } table[] = {{0x0D05, 0x0750}, {0x0D06, 0x0760}, {0x0D09, 0x0770}};
  for (const auto& row : table) {
    SodBlock sod(row.sod);
    sod.Decode(Block(row.sod, Element(row.tag, der)));
    EXPECT_EQ(sod.SignedData().GetValue(), der);
  }
}

TEST(SodBlockTest, RefusesUnregisteredSodAndOverlongMessage) {
  EXPECT_EQ(MessageOf([] { SodBlock sod(0x0D07); }),
            "SOD with ID 0xD07 is not registered with the application");
  EXPECT_EQ(MessageOf([] { SodBlock(0x0D05).Decode(Block(0x0D05, Element(0x0750, ByteArray(2693, 0)))); }),
            "Length 2693 of TLV element with tag 0x750 in given block is larger than maximum allowed 2692");
  EXPECT_EQ(MessageOf([] { SodBlock(0x0D06).Decode(Block(0x0D06, Element(0x0750, {1}))); }),
            "Mandatory element with tag 0x0760 not found in block");
}

TEST(SodRegistryTest, MapsEveryCoveredBlockToItsSodAndHashPosition) {
  for (std::uint16_t cardId : {1, 7}) {
    const SodRegistry& registry = SodRegistry::ForCard(cardId);
    EXPECT_EQ(registry.SodOf(0x0D00), 0x0D05);
    EXPECT_EQ(registry.SodOf(0x0D01), 0x0D05);
    EXPECT_EQ(registry.SodOf(0x0D02), 0x0D05);
    EXPECT_EQ(registry.SodOf(0x0D07), 0x0D05);
    EXPECT_EQ(registry.SodOf(0x0D03), 0x0D06);
    EXPECT_EQ(registry.SodOf(0x0D04), 0x0D09);
    EXPECT_FALSE(registry.SodOf(0x0D05).has_value());
    EXPECT_FALSE(registry.SodOf(0x0D08).has_value());
    EXPECT_EQ(registry.PositionOf(0x0D05, 0x0D01), 1u);
    EXPECT_EQ(registry.PositionOf(0x0D05, 0x0D02), 2u);
    EXPECT_EQ(registry.PositionOf(0x0D05, 0x0D07), 3u);
    EXPECT_EQ(registry.PositionOf(0x0D06, 0x0D03), 0u);
    EXPECT_EQ(registry.PositionOf(0x0D09, 0x0D04), 0u);
  }
  EXPECT_NE(&SodRegistry::ForCard(1), &SodRegistry::ForCard(7));
  EXPECT_EQ(&SodRegistry::ForCard(1), &SodRegistry::ForCard(1));
}

TEST(SodRegistryTest, OtherCardIdsAreUnsupported) {
  for (std::uint16_t cardId : {0, 2, 0xFFFF}) {
    EXPECT_EQ(MessageOf([cardId] { SodRegistry::ForCard(cardId); }), "Unsupported card.");
  }
}

TEST(BlockCacheTest, KeepsTheFirstStoredBytes) {
  BlockCache cache;
  EXPECT_EQ(cache.Find(0x0D01), nullptr);
  cache.Store(0x0D01, {1, 2});
  cache.Store(0x0D01, {3});
  ASSERT_NE(cache.Find(0x0D01), nullptr);
  EXPECT_EQ(*cache.Find(0x0D01), (ByteArray{1, 2}));
  EXPECT_FALSE(cache.Contains(0x0D02));
}

}  // namespace
