// Card objects inside a card session: one connection and one transaction for many
// operations, the application selected once, the selection record forgotten on
// anything that may change it; and without a session, the old road again.
#include <gtest/gtest.h>

#include "card/card_session.h"
#include "card_script.h"

using namespace CardScript;

namespace {


class CardSessionTest : public testing::Test {
 protected:
  // A card of application cardId, owned by the caller; card_ watches it.
  std::unique_ptr<SimulatedCard> NewCard(int cardId = 1) {
    auto card = GenuineCard(key_, key_);
    card->application = cardId == 1 ? kAid1 : kAid7;
    card->files[0x0D00] = HeaderBlock(cardId);
    card_ = card.get();
    return card;
  }
  // The test keeps the card too, so that card_ outlives the session and its objects.
  std::shared_ptr<CardSession> NewSession(int cardId = 1) {
    keep_ = std::shared_ptr<SmartCardIO::CardChannel>(NewCard(cardId));
    return std::make_shared<CardSession>(keep_);
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
  const struct {
    const char* between;
    std::map<std::string, ByteArray> answers;
    std::map<std::string, std::int32_t> failures;
    bool serial;  // the operation: the chip serial, else a read of block 0x0D03
    bool endSession;
    int applicationSelects;  // in the whole run
    int connects;
  } cases[] = {
      {"a read", {}, {}, false, false, 1, 1},
      {"a refused command", {{SelectFile(0x0D03), Fakes::Hex("6A82")}}, {}, false, false, 2, 1},
      {"the card manager, the application selected after it", {}, {}, true, false, 2, 1},
      {"the application refused after the card manager", {{kSelectApplication, Fakes::Hex("6A82")}}, {}, true, false,
       3, 1},
      {"a removed card", {}, {{"Transmit", TAVQ::PCSC::kRemovedCard}}, false, false, 2, 2},
      {"the end of the session", {}, {}, false, true, 2, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.between);
    std::shared_ptr<CardSession> session = NewSession();
    ZKCard card(session, 1);
    card.ReadBlockBytes(0x0D01);
    card_->answerOnce = c.answers;
    card_->failOnce = c.failures;
    OutcomeOf([&] {
      if (c.serial) {
        card.ReadChipSerialNumber();
      } else {
        card.ReadBlockBytes(0x0D03);
      }
    });
    if (c.endSession) session.reset();
    card.ReadBlockBytes(0x0D02);
    EXPECT_EQ(card_->sent.back(), "00B000002C");
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
    std::vector<std::string> sent;
  } cases[] = {
      {"block of one chunk", 40, 0, {SelectFile(0x0D02), "00B000002C"}},
      {"block in a larger EF", 40, 200, {SelectFile(0x0D02), "00B0000080"}},
      {"block of exactly one chunk", 124, 0, {SelectFile(0x0D02), "00B0000080"}},
      {"block of three chunks", 300, 0, {SelectFile(0x0D02), "00B0000080", "00B0008080", "00B0010030"}},
      {"header only", 0, 0, {SelectFile(0x0D02), "00B0000004"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<CardSession> session = NewSession();
    const ByteArray block = c.bodySize == 0 ? Element(0x0D02, {}) : FillerBlock(0x0D02, c.bodySize);
    card_->files[0x0D02] = Concat({block, ByteArray(c.efPadding, 0xEE)});
    ZKCard card(session, 1);
    card_->sent.clear();
    EXPECT_EQ(card.ReadBlockBytes(0x0D02), block);
    EXPECT_EQ(card_->sent, c.sent);
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
  EXPECT_EQ(card_->Count("00A404000F" + std::string(kAid7) + "00"), 1);
}

TEST_F(CardSessionTest, SessionThatCannotConnectLeavesNothingOpenAndTriesAgainNextTime) {
  std::shared_ptr<CardSession> session = NewSession();
  card_->failOnce["Connect"] = TAVQ::PCSC::kNoSmartcard;
  EXPECT_NE(OutcomeOf([&] { ZKCard card(session, 1); }), "");
  EXPECT_FALSE(session->IsOpen());
  ZKCard card(session, 1);
  EXPECT_TRUE(session->IsOpen());
  EXPECT_EQ(card_->connects, 1);
  EXPECT_EQ(card_->Count(kSelectApplication), 1);
}

}  // namespace
