// Card object construction, block reading and block verification against the SODs.
#include <gtest/gtest.h>

#include "card_script.h"

using namespace CardScript;

namespace {

TEST(ZKCardTest, CardIdDecidesTheApplicationAndMustMatchTheDocument) {
  const struct {
    int cardId;
    const char* application;  // the one on the card
    int documentId;
    std::string outcome;
  } cases[] = {
      {7, kAid7, 7, "7"},
      {1, kAid1, 7, "Read document has ID 7, but ID 1 was requested."},
      {0, "A000000063504B43532D3135", 1, "Read document has ID 1, but ID 0 was requested."},
      {7, kAid1, 7, "6A82"},
      {2, kAid1, 1, "Number 2 is not valid value for card ID"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.outcome);
    auto card = CardWith({});
    card->files[0x0D00] = HeaderBlock(c.documentId);
    card->application = c.application;
    std::string connections;
    card->connectionsAtEnd = &connections;
    int cardId = -1;
    const std::string failure =
        OutcomeOf([&] { cardId = ZKCard(std::move(card), static_cast<std::uint16_t>(c.cardId)).CardId(); });
    EXPECT_EQ(failure.empty() ? std::to_string(cardId) : failure, c.outcome);
    // The header is read in one connection and transaction; card ID 2 never connects.
    EXPECT_EQ(connections, c.cardId == 2 ? "0/0/0" : "1/1/0");
  }
}

TEST(ZKCardTest, BlocksAreReadFromTheCardOnceAndOnlyWhenDeclaredPresent) {
  const ByteArray perso = FillerBlock(0x0D03, 40);
  const ByteArray admin = FillerBlock(0x0D04, 30);
  const OpenedCard sim = OpenCard(CardWith({{0x0D03, perso}, {0x0D04, admin}, {0x0D02, admin}}, {0x0D00, 0x0D03, 0x0D04}));
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(sim.zk->ReadBlockBytes(ZKBlock::kVariablePerso), perso);
    EXPECT_EQ(sim.zk->ReadBlockBytes(ZKBlock::kVariableAdmin), admin);
    EXPECT_EQ(sim.zk->ReadElementaryFile(ZKBlock::kVariableAdmin), admin);  // uncached
  }
  EXPECT_EQ(sim.card.Count(SelectFile(0x0D03)), 1);
  EXPECT_EQ(sim.card.Count(SelectFile(0x0D04)), 3);

  sim.card.sent.clear();
  EXPECT_EQ(OutcomeOf([&] { sim.zk->ReadBlockBytes(0x0D02); }),
            "Card block with ID 3330 is not declared as present in the card");
  EXPECT_TRUE(sim.card.sent.empty());
}

TEST(ZKCardTest, FramingOfTheElementaryFileIsCheckedAndFailuresAreNotCached) {
  const ByteArray good = FillerBlock(0x0D01, 20);
  const ByteArray head = {0x01, 0x0D, 20, 0x00};  // tag 0x0D01, body of 20 bytes
  const struct {
    const char* name;
    ByteArray file;
    std::string outcome;
  } cases[] = {
      {"EF too small for the header", {0x01, 0x0D, 0x00}, "Card's elementary file with id 0xD01 has too small size"},
      {"another block's tag", FillerBlock(0x0D02, 20),
       "Tag value 0xD02 in read data block is different from required value 0xD01"},
      {"body larger than the EF", Concat({head, ByteArray(15)}),
       "Trying to read 20 bytes from data block 0xD01, but the maximum size of the block is 19"},
      {"body as large as the EF, the header not counted", Concat({head, ByteArray(16)}),
       "Card returned 20 bytes at offset 0 of the elementary file, but 24 bytes were requested"},
      {"last byte at offset 0x7FFF", FillerBlock(0x0D01, 0x7FFC), ""},
      {"a byte beyond offset 0x7FFF", FillerBlock(0x0D01, 0x7FFD), "Cannot read beyond offset 0x7FFF of an elementary file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const OpenedCard sim = OpenCard(CardWith({{0x0D01, c.file}}));
    EXPECT_EQ(OutcomeOf([&] { EXPECT_EQ(sim.zk->ReadBlockBytes(0x0D01), c.file); }), c.outcome);
    EXPECT_EQ(sim.card.openTransactions, 0);
    sim.card.files[0x0D01] = good;
    EXPECT_EQ(sim.zk->ReadBlockBytes(0x0D01), c.outcome.empty() ? c.file : good);
  }
}

TEST(ZKCardTest, ReaderFailuresReleaseItAndLeaveTheCardUsable) {
  using namespace TAVQ::PCSC;
  const struct {
    const char* name;
    std::map<std::string, std::int32_t> failures;
    std::int32_t raised;  // 0: the read succeeds
    const char* connections;  // opening the card took one
  } cases[] = {
      {"card removed mid-read", {{"Transmit", kRemovedCard}, {"EndTransaction", kRemovedCard}}, kRemovedCard, "2/2/0"},
      {"no card to connect to", {{"Connect", kNoSmartcard}}, kNoSmartcard, "1/1/0"},
      {"transaction refused", {{"BeginTransaction", kSharingViolation}}, kSharingViolation, "2/2/0"},
      {"disconnect fails", {{"Disconnect", kRemovedCard}}, 0, "2/2/0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const OpenedCard sim = OpenCard(CardWith({{0x0D01, FillerBlock(0x0D01, 20)}}));
    sim.card.failOnce = c.failures;
    EXPECT_EQ(Fakes::CodeOf([&] { sim.zk->ReadBlockBytes(0x0D01); }), c.raised);
    EXPECT_EQ(sim.card.Connections(), c.connections);
    EXPECT_EQ(sim.zk->ReadBlockBytes(0x0D01), FillerBlock(0x0D01, 20));
  }
}

const TestPki kSigner;
const std::map<std::uint16_t, ByteArray> kBlocks = {
    {0x0D00, HeaderBlock(1)},          {0x0D01, FillerBlock(0x0D01, 150)}, {0x0D02, FillerBlock(0x0D02, 90)},
    {0x0D03, FillerBlock(0x0D03, 60)}, {0x0D04, FillerBlock(0x0D04, 70)},  {0x0D07, FillerBlock(0x0D07, 20)}};

ByteArray HashesOf(std::initializer_list<std::uint16_t> ids) {
  ByteArray content;
  for (std::uint16_t id : ids) content = Concat({content, Sha256Of(kBlocks.at(id))});
  return content;
}

ByteArray Sod(std::uint16_t sodId, std::uint16_t tag, const ByteArray& content) {
  return Element(sodId, Element(tag, kSigner.SignAttached(content)));
}

TEST(VerifyBlockTest, BlockHashMustStandAtItsPositionInItsOwnSod) {
  const ByteArray firstSod = Sod(0x0D05, 0x0750, HashesOf({0x0D00, 0x0D01, 0x0D02, 0x0D07}));
  ByteArray changed = kBlocks.at(0x0D02);
  changed[4] ^= 0x01;  // the first byte after the header
  ByteArray tooShort = HashesOf({0x0D00, 0x0D01, 0x0D02});
  tooShort.pop_back();
  const struct {
    const char* name;
    std::uint16_t blockId;
    std::map<std::uint16_t, ByteArray> files;  // besides the genuine blocks
    std::string outcome;
  } cases[] = {
      {"header, first in SOD 0x0D05", 0x0D00, {{0x0D05, firstSod}}, ""},
      {"fixed personal block, third", 0x0D02, {{0x0D05, firstSod}}, ""},
      {"variable personal block in SOD 0x0D06", ZKBlock::kVariablePerso,
       {{0x0D06, Sod(0x0D06, 0x0760, HashesOf({0x0D03}))}}, ""},
      {"variable administrative block in SOD 0x0D09", ZKBlock::kVariableAdmin,
       {{0x0D09, Sod(0x0D09, 0x0770, HashesOf({0x0D04}))}}, ""},
      {"a changed byte", 0x0D02, {{0x0D05, firstSod}, {0x0D02, changed}},
       "Hash of block with ID 0xD02 does not match the hash in corresponding SOD block"},
      {"hashes in swapped positions", 0x0D01, {{0x0D05, Sod(0x0D05, 0x0750, HashesOf({0x0D01, 0x0D00, 0x0D02, 0x0D07}))}},
       "Hash of block with ID 0xD01 does not match the hash in corresponding SOD block"},
      {"content one byte short of the hash", 0x0D02, {{0x0D05, Sod(0x0D05, 0x0750, tooShort)}},
       "Hash of block with ID 0xD02 does not match the hash in corresponding SOD block"},
      {"a block without SOD", 0x0D08, {}, "Certificate is not initialized."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto card = CardWith(kBlocks);
    for (const auto& [id, bytes] : c.files) card->files[id] = bytes;
    const OpenedCard sim = OpenCard(std::move(card));
    ByteArray signer;
    EXPECT_EQ(OutcomeOf([&] { signer = sim.zk->VerifyBlock(c.blockId).GetEncoded(); }), c.outcome);
    EXPECT_EQ(signer, c.outcome.empty() ? kSigner.CertificateDer() : ByteArray());
    // The SOD and the block were read once: verified again, they need no card, and the
    // SOD's signature already checked does not spare the block its hash comparison.
    const std::size_t commands = sim.card.sent.size();
    EXPECT_EQ(OutcomeOf([&] { sim.zk->VerifyBlock(c.blockId).GetEncoded(); }), c.outcome);
    EXPECT_EQ(sim.card.sent.size(), commands);
  }
}

}  // namespace
