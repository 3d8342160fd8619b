// Card objects inside a card session: one connection and transaction for many operations,
// the application selected once and reselected after anything that may change it.
#include <gtest/gtest.h>

#include "card/card_session.h"
#include "card_script.h"

using namespace CardScript;

namespace {

class CardSessionTest : public testing::Test {
 protected:
  // A session over a genuine card of application cardId; card_ outlives the session.
  std::shared_ptr<CardSession> NewSession(int cardId = 1) {
    card_ = GenuineCard(key_, key_);
    card_->application = cardId == 1 ? kAid1 : kAid7;
    card_->files[0x0D00] = HeaderBlock(cardId);
    return std::make_shared<CardSession>(card_);
  }

  const TestPki key_;
  std::shared_ptr<SimulatedCard> card_;
};

TEST_F(CardSessionTest, WholeJobConnectsOnceAndSelectsTheApplicationOnlyAfterTheCardManager) {
  {
    std::shared_ptr<CardSession> session = NewSession();
    EXPECT_EQ(card_->connects, 0) << "a session connects at its first operation";
    ZKCard card(session, 1);
    card.ReadBlockBytes(0x0D02);
    card.CheckOrigin();
    EXPECT_EQ(card_->Connections(), "1/0/1");
    const auto getData = std::find(card_->sent.begin(), card_->sent.end(), "80CA9F7F");
    ASSERT_NE(getData, card_->sent.end());
    EXPECT_EQ(getData[1], kSelectApplication);
    EXPECT_EQ(card_->Count(kSelectApplication), 2);
  }
  EXPECT_EQ(card_->Connections(), "1/1/0");
}

TEST_F(CardSessionTest, SelectionIsForgottenOnAnythingThatMayChangeIt) {
  const auto read = [](ZKCard& card) { card.ReadBlockBytes(0x0D03); };
  const auto serial = [](ZKCard& card) { card.ReadChipSerialNumber(); };
  const struct {
    const char* between;
    std::function<void(ZKCard&)> operation;
    std::map<std::string, ByteArray> answers;
    std::int32_t failure;  // of the first Transmit, 0 for none
    int applicationSelects;  // in the whole run
    std::string connections;  // after the session
  } cases[] = {
      {"a read", read, {}, 0, 1, "1/1/0"},
      {"a refused command", read, {{SelectFile(0x0D03), Fakes::Hex("6A82")}}, 0, 2, "1/1/0"},
      {"the card manager, the application selected after it", serial, {}, 0, 2, "1/1/0"},
      {"the application refused after the card manager", serial, {{kSelectApplication, Fakes::Hex("6A82")}}, 0, 3,
       "1/1/0"},
      {"a removed card", read, {}, TAVQ::PCSC::kRemovedCard, 2, "2/2/0"},
      {"the end of the session", nullptr, {}, 0, 2, "2/2/0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.between);
    std::shared_ptr<CardSession> session = NewSession();
    ZKCard card(session, 1);
    card.ReadBlockBytes(0x0D01);
    card_->answerOnce = c.answers;
    if (c.failure != 0) card_->failOnce["Transmit"] = c.failure;
    if (c.operation) {
      OutcomeOf([&] { c.operation(card); });
    } else {
      session.reset();
    }
    card.ReadBlockBytes(0x0D02);
    EXPECT_EQ(card_->sent.back(), "00B000002C");
    session.reset();
    EXPECT_EQ(card_->Count(kSelectApplication), c.applicationSelects);
    EXPECT_EQ(card_->Connections(), c.connections);
  }
}

TEST_F(CardSessionTest, BlockHeaderComesWithTheFirstChunk) {
  const struct {
    std::size_t bodySize;
    std::size_t efPadding;  // EF bytes beyond the block
    std::vector<std::string> reads;
  } cases[] = {
      {40, 0, {"00B000002C"}},
      {40, 200, {"00B0000080"}},
      {124, 0, {"00B0000080"}},
      {300, 0, {"00B0000080", "00B0008080", "00B0010030"}},
      {0, 0, {"00B0000004"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bodySize);
    std::shared_ptr<CardSession> session = NewSession();
    const ByteArray block = c.bodySize == 0 ? Element(0x0D02, {}) : FillerBlock(0x0D02, c.bodySize);
    card_->files[0x0D02] = Concat({block, ByteArray(c.efPadding, 0xEE)});
    ZKCard card(session, 1);
    card_->sent.clear();
    EXPECT_EQ(card.ReadBlockBytes(0x0D02), block);
    card_->sent.erase(card_->sent.begin());  // the EF's selection
    EXPECT_EQ(card_->sent, c.reads);
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
