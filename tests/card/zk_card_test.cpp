// Card object construction and block reading over the scripted PC/SC.
#include "card/zk_card.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "card_script.h"
#include "fakes/raised.h"
#include "support/exception.h"
#include "support/text.h"

using namespace CardScript;
using Fakes::Call;
using Fakes::FakePCSC;
using Fakes::Hex;
using Fakes::MessageOf;
using Fakes::Raised;
using testing::ElementsAre;

namespace {

const std::vector<std::uint16_t> kAllBlocks = {0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04,
                                              0x0D05, 0x0D06, 0x0D07, 0x0D09};

class ZKCardTest : public testing::Test {
 protected:
  // A card with card ID 1 opened, its log cleared.
  std::unique_ptr<ZKCard> Open(const std::vector<std::uint16_t>& present = kAllBlocks) {
    ExpectBlockRead(pcsc_, HeaderBlock(1, present));
    auto card = std::make_unique<ZKCard>(u"Virtual Reader 0", 1);
    EXPECT_TRUE(pcsc_.ScriptDone());
    pcsc_.ClearLog();
    return card;
  }

  void ExpectNothingLeftOpen() const {
    EXPECT_EQ(pcsc_.OpenCards(), 0u);
    EXPECT_EQ(pcsc_.OpenTransactions(), 0u);
  }

  FakePCSC pcsc_;
};

TEST_F(ZKCardTest, ConstructionReadsTheHeaderInOneTransaction) {
  pcsc_.ExpectApdu("00A404000DF38100000253455256535A4B0100", "9000");
  pcsc_.ExpectApdu("00A40000020D0000", "620400CC9000");
  const ByteArray header = HeaderBlock(1, kAllBlocks, 200);
  ASSERT_EQ(header.size(), 204u);
  ExpectReadBinary(pcsc_, header, 4);
  pcsc_.ExpectApdu(Hex("00B0000080"), Concat({ByteArray(header.begin(), header.begin() + 128), {0x90, 0x00}}));
  pcsc_.ExpectApdu(Hex("00B000804C"), Concat({ByteArray(header.begin() + 128, header.end()), {0x90, 0x00}}));

  ZKCard card(u"Virtual Reader 0", 1);

  EXPECT_TRUE(pcsc_.ScriptDone());
  EXPECT_EQ(card.CardId(), 1);
  EXPECT_THAT(pcsc_.CallNames(),
              ElementsAre("SCardEstablishContext", "SCardConnect", "SCardBeginTransaction", "SCardStatus",
                          "SCardTransmit", "SCardTransmit", "SCardTransmit", "SCardTransmit", "SCardTransmit",
                          "SCardEndTransaction", "SCardDisconnect"));
  const auto connect = pcsc_.Calls(Call::Connect).at(0);
  EXPECT_EQ(connect.reader, u"Virtual Reader 0");
  EXPECT_EQ(connect.shareMode, 2u);
  EXPECT_EQ(connect.preferredProtocols, 3u);
  EXPECT_EQ(pcsc_.Calls(Call::Disconnect).at(0).disposition, 0u);
  ExpectNothingLeftOpen();
}

TEST_F(ZKCardTest, CardWithDocument7OpensForCardId7) {
  ExpectBlockRead(pcsc_, HeaderBlock(7, kAllBlocks), kAid7);
  ZKCard card(u"Virtual Reader 0", 7);
  EXPECT_EQ(card.CardId(), 7);
  EXPECT_TRUE(pcsc_.ScriptDone());
}

TEST_F(ZKCardTest, DocumentOfAnotherCardIdFailsTheConstruction) {
  ExpectBlockRead(pcsc_, HeaderBlock(7, kAllBlocks));
  EXPECT_EQ(MessageOf([] { ZKCard card(u"Virtual Reader 0", 1); }), "Read document has ID 7, but ID 1 was requested.");
  ExpectNothingLeftOpen();
  EXPECT_EQ(pcsc_.OpenContexts(), 0u);
}

TEST_F(ZKCardTest, CardWithoutTheApplicationFailsAtItsSelection) {
  pcsc_.ExpectApdu("00A404000FF381000002534552534F564F5A4B0100", "6A82");
  EXPECT_EQ(Raised<JavaCard::AppletException>([] { ZKCard card(u"Virtual Reader 0", 7); }).statusWord, 0x6A82);
  EXPECT_EQ(pcsc_.Count(Call::Transmit), 1u);
  ExpectNothingLeftOpen();
}

TEST_F(ZKCardTest, CardIdZeroSelectsThePkcs15ApplicationAndNeverCompletes) {
  ExpectBlockRead(pcsc_, HeaderBlock(1, kAllBlocks), "A000000063504B43532D3135");
  EXPECT_EQ(MessageOf([] { ZKCard card(u"Virtual Reader 0", 0); }), "Read document has ID 1, but ID 0 was requested.");
  EXPECT_TRUE(pcsc_.ScriptDone());
}

TEST_F(ZKCardTest, OtherCardIdsAreRefusedBeforeTheCardIsTouched) {
  EXPECT_EQ(MessageOf([] { ZKCard card(u"Virtual Reader 0", 2); }), "Number 2 is not valid value for card ID");
  EXPECT_EQ(pcsc_.Count(Call::Connect), 0u);
  EXPECT_EQ(pcsc_.OpenContexts(), 0u);
}

TEST_F(ZKCardTest, HeaderWithoutPresentBlocksIsRefusedByTheCodec) {
  ExpectBlockRead(pcsc_, Block(0x0D00, Concat({Element(0x0601, {'0', '1'}), Element(0x0602, {'0', '1'})})));
  EXPECT_EQ(MessageOf([] { ZKCard card(u"Virtual Reader 0", 1); }),
            "Mandatory element with tag 0x0603 not found in block");
}

TEST_F(ZKCardTest, LongBlockIsReadInChunksOf128Bytes) {
  auto card = Open();
  const ByteArray block = FillerBlock(0x0D01, 300);
  ExpectSelectApplication(pcsc_);
  ExpectSelectFile(pcsc_, 0x0D01, block.size());
  pcsc_.ExpectApdu(Hex("00B0000004"), Concat({ByteArray(block.begin(), block.begin() + 4), {0x90, 0x00}}));
  pcsc_.ExpectApdu(Hex("00B0000080"), Concat({ByteArray(block.begin(), block.begin() + 128), {0x90, 0x00}}));
  pcsc_.ExpectApdu(Hex("00B0008080"), Concat({ByteArray(block.begin() + 128, block.begin() + 256), {0x90, 0x00}}));
  pcsc_.ExpectApdu(Hex("00B0010030"), Concat({ByteArray(block.begin() + 256, block.end()), {0x90, 0x00}}));

  EXPECT_EQ(card->ReadBlockBytes(0x0D01), block);
  EXPECT_TRUE(pcsc_.ScriptDone());
  ExpectNothingLeftOpen();
}

TEST_F(ZKCardTest, SecondReadOfABlockComesFromTheCache) {
  auto card = Open();
  const ByteArray block = FillerBlock(0x0D02, 40);
  ExpectBlockRead(pcsc_, block);
  EXPECT_EQ(card->ReadBlockBytes(0x0D02), block);
  pcsc_.ClearLog();
  EXPECT_EQ(card->ReadBlockBytes(0x0D02), block);
  EXPECT_TRUE(pcsc_.log().empty());
}

TEST_F(ZKCardTest, UncachedReadTalksToTheCardEveryTime) {
  auto card = Open();
  const ByteArray block = FillerBlock(0x0D02, 40);
  ExpectBlockRead(pcsc_, block);
  ExpectBlockRead(pcsc_, block);
  EXPECT_EQ(card->ReadElementaryFile(0x0D02), block);
  EXPECT_EQ(card->ReadElementaryFile(0x0D02), block);
  EXPECT_TRUE(pcsc_.ScriptDone());
}

TEST_F(ZKCardTest, BlockMissingFromThePresentListFailsBeforeItsSelection) {
  auto card = Open({0x0D00, 0x0D01});
  EXPECT_EQ(MessageOf([&] { card->ReadBlockBytes(0x0D02); }),
            "Card block with ID 3330 is not declared as present in the card");
  EXPECT_EQ(pcsc_.Count(Call::Transmit), 0u);
  EXPECT_NO_THROW(card->CheckDeclaredPresent(0x0D01));
  EXPECT_NO_THROW(card->CheckDeclaredPresent(0x0D00));
  ExpectNothingLeftOpen();
}

TEST_F(ZKCardTest, FramingChecksOfTheElementaryFile) {
  auto card = Open();
  // An EF too small to hold a block header.
  ExpectSelectApplication(pcsc_);
  ExpectSelectFile(pcsc_, 0x0D01, 3);
  EXPECT_EQ(MessageOf([&] { card->ReadBlockBytes(0x0D01); }),
            "Card's elementary file with id 0xD01 has too small size");

  // A header whose tag is another block's.
  ExpectSelectApplication(pcsc_);
  ExpectSelectFile(pcsc_, 0x0D01, 50);
  ExpectReadBinary(pcsc_, FillerBlock(0x0D02, 20), 4);
  EXPECT_EQ(MessageOf([&] { card->ReadBlockBytes(0x0D01); }),
            "Tag value 0xD02 in read data block is different from required value 0xD01");

  // A body length one byte larger than the EF.
  ExpectSelectApplication(pcsc_);
  ExpectSelectFile(pcsc_, 0x0D01, 19);
  ExpectReadBinary(pcsc_, FillerBlock(0x0D01, 20), 4);
  EXPECT_EQ(MessageOf([&] { card->ReadBlockBytes(0x0D01); }),
            "Trying to read 20 bytes from data block 0xD01, but the maximum size of the block is 19");

  // A SELECT answer without the file size.
  ExpectSelectApplication(pcsc_);
  pcsc_.ExpectApdu("00A40000020D0100", "6204009000");
  EXPECT_THAT(MessageOf([&] { card->ReadBlockBytes(0x0D01); }),
              testing::HasSubstr("too few to hold the file size"));

  EXPECT_TRUE(pcsc_.ScriptDone());
  ExpectNothingLeftOpen();

  // None of the failures left anything behind: the next read goes to the card.
  const ByteArray block = FillerBlock(0x0D01, 20);
  ExpectBlockRead(pcsc_, block);
  EXPECT_EQ(card->ReadBlockBytes(0x0D01), block);
}

TEST_F(ZKCardTest, BodyLengthEqualToTheFileSizePassesTheSizeTest) {
  auto card = Open();
  const ByteArray block = FillerBlock(0x0D01, 20);
  ExpectSelectApplication(pcsc_);
  ExpectSelectFile(pcsc_, 0x0D01, 20);
  ExpectReadBinary(pcsc_, block, 4);
  ExpectReadBinary(pcsc_, block, 24);
  EXPECT_EQ(card->ReadBlockBytes(0x0D01), block);
}

TEST_F(ZKCardTest, BlockBeyondTheReadBinaryOffsetRangeIsRefusedBeforeItsBody) {
  auto card = Open();
  // The last byte at offset 0x7FFF is still addressable.
  const ByteArray largest = FillerBlock(0x0D01, 0x7FFC);
  ExpectBlockRead(pcsc_, largest);
  EXPECT_EQ(card->ReadBlockBytes(0x0D01), largest);
  EXPECT_EQ(pcsc_.SentCommands().back(), Hex("00B07F8080"));

  // One byte more would need P1 0x80, which names a short EF instead of an offset.
  const ByteArray tooLarge = FillerBlock(0x0D02, 0x7FFD);
  ExpectSelectApplication(pcsc_);
  ExpectSelectFile(pcsc_, 0x0D02, tooLarge.size());
  ExpectReadBinary(pcsc_, tooLarge, 4);
  pcsc_.ClearLog();
  EXPECT_EQ(MessageOf([&] { card->ReadBlockBytes(0x0D02); }),
            "Cannot read beyond offset 0x7FFF of an elementary file");
  EXPECT_TRUE(pcsc_.ScriptDone());
  EXPECT_EQ(pcsc_.Count(Call::Transmit), 3u);
  ExpectNothingLeftOpen();
}

TEST_F(ZKCardTest, ShortChunkFromTheCardIsRefusedAndNotCached) {
  auto card = Open();
  const ByteArray block = FillerBlock(0x0D01, 200);
  ExpectSelectApplication(pcsc_);
  ExpectSelectFile(pcsc_, 0x0D01, block.size());
  ExpectReadBinary(pcsc_, block, 4);
  pcsc_.ExpectApdu(Hex("00B0000080"), Concat({ByteArray(block.begin(), block.begin() + 100), {0x90, 0x00}}));
  EXPECT_EQ(MessageOf([&] { card->ReadBlockBytes(0x0D01); }),
            "Card returned 100 bytes at offset 0 of the elementary file, but 128 bytes were requested");
  ExpectNothingLeftOpen();
  ExpectBlockRead(pcsc_, block);
  EXPECT_EQ(card->ReadBlockBytes(0x0D01), block);
}

TEST_F(ZKCardTest, RefusedChunkRaisesItsStatusWordAndCachesNothing) {
  auto card = Open();
  const ByteArray block = FillerBlock(0x0D03, 200);
  ExpectSelectApplication(pcsc_);
  ExpectSelectFile(pcsc_, 0x0D03, block.size());
  ExpectReadBinary(pcsc_, block, 4);
  ExpectReadBinary(pcsc_, block, 128);
  pcsc_.ExpectApdu("00B000804C", "6B00");
  EXPECT_EQ(Raised<JavaCard::AppletException>([&] { card->ReadBlockBytes(0x0D03); }).statusWord, 0x6B00);
  ExpectNothingLeftOpen();
  ExpectBlockRead(pcsc_, block);
  EXPECT_EQ(card->ReadBlockBytes(0x0D03), block);
  EXPECT_TRUE(pcsc_.ScriptDone());
}

TEST_F(ZKCardTest, RemovedCardReportsItsPcscCodeAndReleasesTheReader) {
  auto card = Open();
  pcsc_.FailNext(Call::Transmit, TAVQ::PCSC::kRemovedCard);
  pcsc_.FailNext(Call::EndTransaction, TAVQ::PCSC::kRemovedCard);
  const auto e = Raised<TAVQ::PCSC::PCSCWin32Exception>([&] { card->ReadBlockBytes(0x0D01); });
  EXPECT_EQ(e.errorCode, TAVQ::PCSC::kRemovedCard);
  EXPECT_EQ(pcsc_.Count(Call::EndTransaction), 1u);
  EXPECT_EQ(pcsc_.Count(Call::Disconnect), 1u);
  ExpectNothingLeftOpen();

  pcsc_.FailNext(Call::Connect, TAVQ::PCSC::kNoSmartcard);
  EXPECT_EQ(Raised<TAVQ::PCSC::PCSCWin32Exception>([&] { card->ReadBlockBytes(0x0D01); }).errorCode,
            TAVQ::PCSC::kNoSmartcard);
  ExpectNothingLeftOpen();
}

TEST_F(ZKCardTest, FailedTransactionStartStillDisconnects) {
  auto card = Open();
  pcsc_.FailNext(Call::BeginTransaction, TAVQ::PCSC::kSharingViolation);
  EXPECT_EQ(Raised<TAVQ::PCSC::PCSCWin32Exception>([&] { card->ReadBlockBytes(0x0D01); }).errorCode,
            TAVQ::PCSC::kSharingViolation);
  EXPECT_EQ(pcsc_.Count(Call::EndTransaction), 0u);
  EXPECT_EQ(pcsc_.Count(Call::Disconnect), 1u);
  ExpectNothingLeftOpen();
}

TEST_F(ZKCardTest, CardResetByAnotherProcessIsReconnectedSilently) {
  auto card = Open();
  const ByteArray block = FillerBlock(0x0D04, 30);
  pcsc_.FailNext(Call::BeginTransaction, TAVQ::PCSC::kResetCardWarning);
  ExpectBlockRead(pcsc_, block);
  EXPECT_EQ(card->ReadBlockBytes(0x0D04), block);
  EXPECT_EQ(pcsc_.Count(Call::Reconnect), 1u);
  ExpectNothingLeftOpen();
}

}  // namespace
