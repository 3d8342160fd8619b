// Card objects inside a card session: one connection and one transaction for many
// operations, the application selected once, the selection record forgotten on
// anything that may change it; and without a session, the old road again.
#include <gtest/gtest.h>

#include "card/card_session.h"
#include "card_script.h"
#include "simulated_card.h"
#include "test_pki.h"

using namespace CardScript;

namespace {

std::string SelectByName(const std::string& aidHex) {
  return HexOf(Concat({{0x00, 0xA4, 0x04, 0x00, static_cast<std::uint8_t>(aidHex.size() / 2)}, Fakes::Hex(aidHex), {0}}));
}
const std::string kSelectApplication = SelectByName(kAid1);

class CardSessionTest : public testing::Test {
 protected:
  // A card of application cardId, owned by the caller; card_ watches it.
  std::unique_ptr<SimulatedCard> NewCard(int cardId = 1) {
    auto card = std::make_unique<SimulatedCard>(&key_);
    card->application = cardId == 1 ? kAid1 : kAid7;
    card->files[0x0D00] = HeaderBlock(cardId, {0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D05, 0x0D07});
    card->files[0x0D01] = DocumentBlock("0D0E0F1011121314");
    card->files[0x0D02] = FillerBlock(0x0D02, 40);
    card->files[0x0D03] = FillerBlock(0x0D03, 30);
    card->files[0x0D07] = key_.PublicKeyFile();
    card->files[0x0D05] = KeySod(key_.SignAttached(KeySodContent(card->files[0x0D07])));
    card_ = card.get();
    return card;
  }
  // The test keeps the card too, so that card_ outlives the session and its objects.
  std::shared_ptr<CardSession> NewSession(int cardId = 1) {
    keep_ = std::shared_ptr<SmartCardIO::CardChannel>(NewCard(cardId));
    return std::make_shared<CardSession>(keep_);
  }
  // A block read in a session: SELECT of its EF and one READ BINARY of it, header included.
  std::vector<std::string> BlockRead(std::uint16_t fileId) const {
    const std::size_t size = card_->files.at(fileId).size();
    return {SelectFile(fileId), HexOf({0x00, 0xB0, 0x00, 0x00, static_cast<std::uint8_t>(size)})};
  }

  const TestPki key_;
  SimulatedCard* card_ = nullptr;
  std::shared_ptr<SmartCardIO::CardChannel> keep_;
};

TEST_F(CardSessionTest, WholeJobConnectsOnceAndSelectsTheApplicationOnlyAfterTheCardManager) {
  {
    std::shared_ptr<CardSession> session = NewSession();
    EXPECT_EQ(card_->connects, 0) << "a session connects at its first operation";
    ZKCard card(session, 1);
    card.ReadBlockBytes(0x0D02);
    card.CheckOrigin();
    EXPECT_EQ(card_->openTransactions, 1);
    EXPECT_EQ(card_->disconnects, 0);
    // Selected at the first operation, and again only after the card manager.
    const auto getData = std::find(card_->sent.begin(), card_->sent.end(), "80CA9F7F");
    ASSERT_NE(getData, card_->sent.end());
    EXPECT_EQ(getData[1], kSelectApplication);
    EXPECT_EQ(card_->Count(kSelectApplication), 2);
  }
  EXPECT_EQ(card_->connects, 1);
  EXPECT_EQ(card_->disconnects, 1);
  EXPECT_EQ(card_->openTransactions, 0);

  // Without a session every operation connects and selects the application, and so
  // does the read of the SOD that signs the key file.
  ZKCard card(NewCard(), 1);
  card.ReadBlockBytes(0x0D02);
  card.CheckOrigin();
  EXPECT_EQ(card_->connects, 5);
  EXPECT_EQ(card_->disconnects, 5);
  EXPECT_EQ(card_->Count(kSelectApplication), 6);
}

TEST_F(CardSessionTest, SelectionIsForgottenOnAnythingThatMayChangeIt) {
  const auto failing = [](ZKCard& card) { EXPECT_NE(OutcomeOf([&] { card.ReadBlockBytes(0x0D03); }), ""); };
  const struct {
    const char* name;
    std::function<void(ZKCard&, std::shared_ptr<CardSession>&, SimulatedCard&)> between;
    int applicationSelects;  // in the whole run
    int connects;
  } cases[] = {
      {"nothing", [](ZKCard&, std::shared_ptr<CardSession>&, SimulatedCard&) {}, 1, 1},
      {"a refused command",
       [&](ZKCard& card, std::shared_ptr<CardSession>&, SimulatedCard& sim) {
         sim.answerOnce[SelectFile(0x0D03)] = Fakes::Hex("6A82");
         failing(card);
       },
       2, 1},
      {"a block that fails its framing check",
       [&](ZKCard& card, std::shared_ptr<CardSession>&, SimulatedCard& sim) {
         sim.files[0x0D03] = FillerBlock(0x0D04, 30);
         failing(card);
       },
       2, 1},
      {"the application refused after the card manager",
       [](ZKCard& card, std::shared_ptr<CardSession>&, SimulatedCard& sim) {
         card.ReadChipSerialNumber();  // selects the application again: recorded
         sim.answerOnce[kSelectApplication] = Fakes::Hex("6A82");
         EXPECT_EQ(OutcomeOf([&] { card.ReadChipSerialNumber(); }), "6A82");
       },
       4, 1},
      {"a removed card",
       [&](ZKCard& card, std::shared_ptr<CardSession>&, SimulatedCard& sim) {
         sim.failOnce["Transmit"] = TAVQ::PCSC::kRemovedCard;
         EXPECT_THROW(card.ReadBlockBytes(0x0D03), TAVQ::PCSC::PCSCWin32Exception);
       },
       2, 2},
      {"the end of the session",
       [](ZKCard&, std::shared_ptr<CardSession>& session, SimulatedCard&) { session.reset(); }, 2, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<CardSession> session = NewSession();
    ZKCard card(session, 1);
    card.ReadBlockBytes(0x0D01);
    c.between(card, session, *card_);
    card.ReadBlockBytes(0x0D02);
    EXPECT_EQ(card_->sent.back(), BlockRead(0x0D02).back());
    session.reset();
    EXPECT_EQ(card_->Count(kSelectApplication), c.applicationSelects);
    EXPECT_EQ(card_->connects, c.connects);
    EXPECT_EQ(card_->disconnects, c.connects);
    EXPECT_EQ(card_->openTransactions, 0);
  }
}

TEST_F(CardSessionTest, BlockHeaderComesWithTheFirstChunk) {
  const struct {
    const char* name;
    std::size_t bodySize;
    std::size_t efPadding;  // EF bytes beyond the block
    std::vector<std::string> reads;
  } cases[] = {
      {"block of one chunk", 40, 0, {"00B000002C"}},
      {"block in a larger EF", 40, 200, {"00B0000080"}},
      {"block of exactly one chunk", 124, 0, {"00B0000080"}},
      {"block of three chunks", 300, 0, {"00B0000080", "00B0008080", "00B0010030"}},
      {"header only", 0, 0, {"00B0000004"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<CardSession> session = NewSession();
    const ByteArray block = c.bodySize == 0 ? Block(0x0D02, {}) : FillerBlock(0x0D02, c.bodySize);
    card_->files[0x0D02] = Concat({block, ByteArray(c.efPadding, 0xEE)});
    ZKCard card(session, 1);
    card_->sent.clear();
    EXPECT_EQ(card.ReadBlockBytes(0x0D02), block);
    std::vector<std::string> expected = {SelectFile(0x0D02)};
    expected.insert(expected.end(), c.reads.begin(), c.reads.end());
    EXPECT_EQ(card_->sent, expected);
  }
}

TEST_F(CardSessionTest, SecondApplicationOfAnyCardContinuesOnTheSameConnection) {
  std::shared_ptr<CardSession> session = NewSession(7);
  EXPECT_EQ(OutcomeOf([&] { ZKCard first(session, 1); }), "6A82");
  ZKCard second(session, 7);
  second.ReadBlockBytes(0x0D01);
  EXPECT_EQ(second.CardId(), 7);
  EXPECT_EQ(card_->connects, 1);
  EXPECT_EQ(card_->Count(kSelectApplication), 1);
  EXPECT_EQ(card_->Count(SelectByName(kAid7)), 1);
}

TEST_F(CardSessionTest, SessionThatCannotConnectLeavesNothingOpenAndTriesAgainNextTime) {
  std::shared_ptr<CardSession> session = NewSession();
  card_->failOnce["Connect"] = TAVQ::PCSC::kNoSmartcard;
  EXPECT_THROW(ZKCard card(session, 1), TAVQ::PCSC::PCSCWin32Exception);
  EXPECT_FALSE(session->IsOpen());
  ZKCard card(session, 1);
  EXPECT_TRUE(session->IsOpen());
  EXPECT_EQ(card_->connects, 1);
  EXPECT_EQ(card_->Count(kSelectApplication), 1);
}

}  // namespace
