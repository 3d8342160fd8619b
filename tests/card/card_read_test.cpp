// Card object construction and block reading over the scripted PC/SC.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "card_script.h"

using namespace CardScript;
using Fakes::Call;
using Fakes::FakePCSC;

namespace {

ByteArray Answer(const ByteArray& file, std::size_t from, std::size_t to) {
  return Concat({ByteArray(file.begin() + static_cast<long>(from), file.begin() + static_cast<long>(to)), {0x90, 0x00}});
}

TEST(ZKCardTest, ConstructionReadsTheHeaderInChunksInOneTransaction) {
  FakePCSC pcsc;
  const ByteArray list = HeaderBlock(1);
  const ByteArray header =
      Block(0x0D00, Concat({ByteArray(list.begin() + 4, list.end()), Element(0x06FF, ByteArray(262, 0xEE))}));
  ASSERT_EQ(header.size(), 0x130u);
  pcsc.ExpectApdu("00A404000DF38100000253455256535A4B0100", "9000");
  pcsc.ExpectApdu("00A40000020D0000", "620401309000");
  pcsc.ExpectApdu(Fakes::Hex("00B0000004"), Answer(header, 0, 4));
  pcsc.ExpectApdu(Fakes::Hex("00B0000080"), Answer(header, 0, 128));
  pcsc.ExpectApdu(Fakes::Hex("00B0008080"), Answer(header, 128, 256));
  pcsc.ExpectApdu(Fakes::Hex("00B0010030"), Answer(header, 256, 0x130));

  ZKCard card(u"Virtual Reader 0", 1);
  EXPECT_TRUE(pcsc.ScriptDone());
  EXPECT_EQ(card.CardId(), 1);
  EXPECT_THAT(pcsc.CallNames(),
              testing::ElementsAre("SCardEstablishContext", "SCardConnect", "SCardBeginTransaction", "SCardStatus",
                                   "SCardTransmit", "SCardTransmit", "SCardTransmit", "SCardTransmit",
                                   "SCardTransmit", "SCardTransmit", "SCardEndTransaction", "SCardDisconnect"));
  const auto connect = pcsc.Calls(Call::Connect).at(0);
  EXPECT_EQ(connect.reader, u"Virtual Reader 0");
  EXPECT_EQ(connect.shareMode, 2u);
  EXPECT_EQ(connect.preferredProtocols, 3u);
  EXPECT_EQ(pcsc.Calls(Call::Disconnect).at(0).disposition, 0u);
}

TEST(ZKCardTest, CardIdDecidesTheApplicationAndMustMatchTheDocument) {
  const struct {
    int cardId;
    const char* aid;  // nullptr: the card is not touched
    ByteArray header;
    std::string outcome;
  } cases[] = {
      {7, kAid7, HeaderBlock(7), ""},
      {1, kAid1, HeaderBlock(7), "Read document has ID 7, but ID 1 was requested."},
      {0, "A000000063504B43532D3135", HeaderBlock(1), "Read document has ID 1, but ID 0 was requested."},
      {2, nullptr, {}, "Number 2 is not valid value for card ID"},
      {7, kAid7, {}, "6A82"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.outcome);
    FakePCSC pcsc;
    if (c.header.empty() && c.aid != nullptr) pcsc.ExpectApdu("00A404000F" + std::string(c.aid) + "00", "6A82");
    if (!c.header.empty()) ExpectBlockRead(pcsc, c.header, c.aid);
    std::uint16_t cardId = 0;
    EXPECT_EQ(OutcomeOf([&] { cardId = ZKCard(u"Virtual Reader 0", static_cast<std::uint16_t>(c.cardId)).CardId(); }),
              c.outcome);
    EXPECT_EQ(cardId, c.outcome.empty() ? c.cardId : 0);
    EXPECT_TRUE(pcsc.ScriptDone());
    EXPECT_EQ(pcsc.Count(Call::Connect), c.aid == nullptr ? 0u : 1u);
    EXPECT_EQ(pcsc.OpenCards() + pcsc.OpenTransactions() + pcsc.OpenContexts(), 0u);
  }
}

TEST(ZKCardTest, BlocksAreReadFromTheCardOnceAndOnlyWhenDeclaredPresent) {
  FakePCSC pcsc;
  auto card = OpenCard(pcsc, {0x0D00, 0x0D03, 0x0D04});
  const ByteArray perso = FillerBlock(0x0D03, 40);
  const ByteArray admin = FillerBlock(0x0D04, 30);
  ExpectBlockRead(pcsc, perso);
  ExpectBlockRead(pcsc, admin);
  ExpectBlockRead(pcsc, admin);
  ExpectBlockRead(pcsc, admin);
  EXPECT_EQ(card->ReadBlockBytes(ZKBlock::kVariablePerso), perso);
  EXPECT_EQ(card->ReadBlockBytes(ZKBlock::kVariableAdmin), admin);
  EXPECT_EQ(card->ReadBlockBytes(ZKBlock::kVariablePerso), perso);
  EXPECT_EQ(card->ReadBlockBytes(ZKBlock::kVariableAdmin), admin);
  // Uncached: the card every time.
  EXPECT_EQ(card->ReadElementaryFile(ZKBlock::kVariableAdmin), admin);
  EXPECT_EQ(card->ReadElementaryFile(ZKBlock::kVariableAdmin), admin);
  EXPECT_TRUE(pcsc.ScriptDone());

  pcsc.ClearLog();
  EXPECT_EQ(OutcomeOf([&] { card->ReadBlockBytes(0x0D02); }),
            "Card block with ID 3330 is not declared as present in the card");
  EXPECT_NO_THROW(card->CheckDeclaredPresent(0x0D04));
  EXPECT_EQ(pcsc.Count(Call::Transmit), 0u);
}

TEST(ZKCardTest, FramingOfTheElementaryFileIsCheckedAndFailuresAreNotCached) {
  const ByteArray block = FillerBlock(0x0D01, 200);
  const ByteArray largest = FillerBlock(0x0D01, 0x7FFC);  // its last byte at offset 0x7FFF
  const ByteArray tooLarge = FillerBlock(0x0D01, 0x7FFD);
  const struct {
    const char* name;
    std::function<void(FakePCSC&)> script;  // after the application's selection
    std::string outcome;
    ByteArray read;  // when it succeeds
  } cases[] = {
      {"EF too small for the header", [](FakePCSC& p) { ExpectSelectFile(p, 0x0D01, 3); },
       "Card's elementary file with id 0xD01 has too small size"},
      {"another block's tag",
       [](FakePCSC& p) {
         ExpectSelectFile(p, 0x0D01, 50);
         ExpectReadBinary(p, FillerBlock(0x0D02, 20), 4);
       },
       "Tag value 0xD02 in read data block is different from required value 0xD01"},
      {"body one byte larger than the EF",
       [](FakePCSC& p) {
         ExpectSelectFile(p, 0x0D01, 19);
         ExpectReadBinary(p, FillerBlock(0x0D01, 20), 4);
       },
       "Trying to read 20 bytes from data block 0xD01, but the maximum size of the block is 19"},
      {"body as large as the EF",
       [](FakePCSC& p) {
         ExpectSelectFile(p, 0x0D01, 20);
         ExpectReadBinary(p, FillerBlock(0x0D01, 20), 4);
         ExpectReadBinary(p, FillerBlock(0x0D01, 20), 24);
       },
       "", FillerBlock(0x0D01, 20)},
      {"SELECT answer without the size", [](FakePCSC& p) { p.ExpectApdu("00A40000020D0100", "6204009000"); },
       "Selection of the elementary file failed: the card's answer has 3 data bytes, too few to hold the file size"},
      {"short chunk",
       [&](FakePCSC& p) {
         ExpectSelectFile(p, 0x0D01, block.size());
         ExpectReadBinary(p, block, 4);
         p.ExpectApdu(Fakes::Hex("00B0000080"), Answer(block, 0, 100));
       },
       "Card returned 100 bytes at offset 0 of the elementary file, but 128 bytes were requested"},
      {"refused chunk",
       [&](FakePCSC& p) {
         ExpectSelectFile(p, 0x0D01, block.size());
         ExpectReadBinary(p, block, 4);
         ExpectReadBinary(p, block, 128);
         p.ExpectApdu("00B000804C", "6B00");
       },
       "6B00"},
      {"last byte at offset 0x7FFF",
       [&](FakePCSC& p) {
         ExpectSelectFile(p, 0x0D01, largest.size());
         ExpectReadBinary(p, largest, 4);
         ExpectReadBinary(p, largest, largest.size());
       },
       "", largest},
      {"a byte beyond offset 0x7FFF, refused before the body",
       [&](FakePCSC& p) {
         ExpectSelectFile(p, 0x0D01, tooLarge.size());
         ExpectReadBinary(p, tooLarge, 4);
       },
       "Cannot read beyond offset 0x7FFF of an elementary file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePCSC pcsc;
    auto card = OpenCard(pcsc);
    ExpectSelectApplication(pcsc);
    c.script(pcsc);
    ByteArray read;
    EXPECT_EQ(OutcomeOf([&] { read = card->ReadBlockBytes(0x0D01); }), c.outcome);
    EXPECT_TRUE(pcsc.ScriptDone());
    EXPECT_EQ(pcsc.OpenCards() + pcsc.OpenTransactions(), 0u);
    if (c.outcome.empty()) {
      EXPECT_EQ(read, c.read);
    } else {
      ExpectBlockRead(pcsc, block);
      EXPECT_EQ(card->ReadBlockBytes(0x0D01), block);
    }
  }
}

TEST(ZKCardTest, PcscFailuresReleaseTheReaderAndLeaveTheCardUsable) {
  using namespace TAVQ::PCSC;
  const struct {
    const char* name;
    std::vector<std::pair<Call, Result>> failures;
    Result raised;  // 0: the read succeeds
    std::size_t ends, disconnects, reconnects;
  } cases[] = {
      {"card removed mid-read", {{Call::Transmit, kRemovedCard}, {Call::EndTransaction, kRemovedCard}},
       kRemovedCard, 1, 1, 0},
      {"no card to connect to", {{Call::Connect, kNoSmartcard}}, kNoSmartcard, 0, 0, 0},
      {"transaction refused", {{Call::BeginTransaction, kSharingViolation}}, kSharingViolation, 0, 1, 0},
      {"card reset by another process", {{Call::BeginTransaction, kResetCardWarning}}, 0, 1, 1, 1},
      {"disconnect fails", {{Call::Disconnect, kRemovedCard}}, 0, 1, 1, 0},
  };
  const ByteArray block = FillerBlock(0x0D01, 20);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePCSC pcsc;
    auto card = OpenCard(pcsc);
    for (const auto& [call, code] : c.failures) pcsc.FailNext(call, code);
    if (c.raised == 0) ExpectBlockRead(pcsc, block);
    EXPECT_EQ(Fakes::CodeOf([&] { EXPECT_EQ(card->ReadBlockBytes(0x0D01), block); }), c.raised);
    EXPECT_EQ(pcsc.Count(Call::EndTransaction), c.ends);
    EXPECT_EQ(pcsc.Count(Call::Disconnect), c.disconnects);
    EXPECT_EQ(pcsc.Count(Call::Reconnect), c.reconnects);
    EXPECT_EQ(pcsc.OpenTransactions(), 0u);
    // The next read connects afresh.
    ExpectBlockRead(pcsc, FillerBlock(0x0D02, 30));
    EXPECT_EQ(card->ReadBlockBytes(0x0D02), FillerBlock(0x0D02, 30));
    EXPECT_TRUE(pcsc.ScriptDone());
  }
}

}  // namespace
