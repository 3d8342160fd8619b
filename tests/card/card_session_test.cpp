// Card objects inside a card session: one connection and one transaction for many
// operations, the application selected once, the selection record forgotten on
// anything that may change it; and without a session, the old road again.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "card/card_session.h"
#include "card/zk_card.h"
#include "card_script.h"
#include "simulated_card.h"
#include "support/exception.h"
#include "support/text.h"
#include "test_pki.h"
#include "transport/pcsc_constants.h"

using namespace CardScript;
using SmartCardIO::CommandAPDU;
using SmartCardIO::ResponseAPDU;

namespace {

const std::vector<std::uint16_t> kPresent = {0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04, 0x0D05, 0x0D07};
constexpr const char* kCardSerial = "0D0E0F1011121314";

// The simulated card with a card manager (CPLC by GET DATA), a log of every command,
// and switches for the failures a session must survive.
class SessionCard : public SimulatedCard {
 public:
  explicit SessionCard(const TestPki& key) : SimulatedCard(key) {}

  std::string application = kAid1;  // the one application the card has
  std::vector<std::string> sent;    // command hex, in order
  std::optional<std::string> refuseOnce;   // this command is answered 6A82, once
  std::optional<std::string> removedOnce;  // this command raises "card removed", once
  bool noCard = false;                     // Connect raises

  void Connect() override {
    if (noCard) throw TAVQ::PCSC::PCSCWin32Exception("SCardConnect", TAVQ::PCSC::kNoSmartcard);
    SimulatedCard::Connect();
  }

  ResponseAPDU Transmit(const CommandAPDU& command) override {
    const std::string hex = HexOf(command.Encode());
    sent.push_back(hex);
    if (removedOnce == hex) {
      removedOnce.reset();
      throw TAVQ::PCSC::PCSCWin32Exception("SCardTransmit", TAVQ::PCSC::kRemovedCard);
    }
    if (refuseOnce == hex) {
      refuseOnce.reset();
      return ResponseAPDU({}, 0x6A, 0x82);
    }
    const bool selectByName = command.ins() == 0xA4 && command.p1() == 0x04;
    if (selectByName && command.data() == Fakes::Hex("A000000003000000")) return ResponseAPDU({}, 0x90, 0x00);
    if (selectByName && command.data() != Fakes::Hex(application)) return ResponseAPDU({}, 0x6A, 0x82);
    if (command.ins() == 0xCA) {
      ByteArray cplc = {0x9F, 0x7F, 0x2A};
      for (std::uint8_t i = 3; i < 45; ++i) cplc.push_back(i);  // bytes 13 to 20: the serial
      return ResponseAPDU(cplc, 0x90, 0x00);
    }
    return SimulatedCard::Transmit(command);
  }

  int Count(const std::string& hex) const {
    int count = 0;
    for (const std::string& command : sent) count += command == hex ? 1 : 0;
    return count;
  }
};

std::string SelectByName(const std::string& aidHex) {
  return HexOf(Concat({{0x00, 0xA4, 0x04, 0x00, static_cast<std::uint8_t>(aidHex.size() / 2)},
                       Fakes::Hex(aidHex), {0x00}}));
}
const std::string kSelectApplication = SelectByName(kAid1);

std::string SelectFile(std::uint16_t fileId) {
  return HexOf({0x00, 0xA4, 0x00, 0x00, 0x02, static_cast<std::uint8_t>(fileId >> 8),
                static_cast<std::uint8_t>(fileId), 0x00});
}

ByteArray DocumentBlock() {
  auto ascii = [](const std::string& text) { return ByteArray(text.begin(), text.end()); };
  return Block(0x0D01, Concat({Element(0x0611, {'I', 0}), Element(0x0612, ascii("12345")),
                               Element(0x0613, ascii("99887766554")), Element(0x0615, ascii("01012020")),
                               Element(0x0616, ascii("01012030")), Element(0x0617, ascii(kCardSerial)),
                               Element(0x0618, ascii("01"))}));
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class CardSessionTest : public testing::Test {
 protected:
  CardSessionTest() : key_(1024) {}

  // A card of application cardId, owned by the caller; card_ watches it.
  std::unique_ptr<SessionCard> NewCard(int cardId = 1) {
    auto card = std::make_unique<SessionCard>(key_);
    card->application = cardId == 1 ? kAid1 : kAid7;
    card->files[0x0D00] = HeaderBlock(cardId, kPresent);
    card->files[0x0D01] = DocumentBlock();
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

  // A block read in a session: SELECT of the block's EF and one READ BINARY of it,
  // header included (all blocks here are under 128 bytes).
  std::vector<std::string> BlockRead(std::uint16_t fileId) const {
    const std::size_t size = card_->files.at(fileId).size();
    return {SelectFile(fileId), HexOf({0x00, 0xB0, 0x00, 0x00, static_cast<std::uint8_t>(size)})};
  }

  TestPki key_;
  SessionCard* card_ = nullptr;
  std::shared_ptr<SmartCardIO::CardChannel> keep_;
};

TEST_F(CardSessionTest, WholeJobConnectsOnceAndSelectsTheApplicationOnlyAfterTheCardManager) {
  {
    std::shared_ptr<CardSession> session = NewSession();
    EXPECT_EQ(card_->connects, 0) << "a session connects at its first operation";
    ZKCard card(session, 1);
    card.ReadBlockBytes(0x0D01);
    card.ReadBlockBytes(0x0D02);
    card.CheckOrigin();
    EXPECT_EQ(card_->openTransactions, 1);
    EXPECT_EQ(card_->disconnects, 0);

    const std::vector<std::string> head =
        Join({{kSelectApplication}, BlockRead(0x0D00), BlockRead(0x0D01), BlockRead(0x0D02),
              {SelectByName("A0000000030000"), SelectByName("A000000003000000"), "80CA9F7F", kSelectApplication,
               "002241B60780010284020D08"}});
    // Then the signature (its data is the fresh challenge's) and the key file, whole.
    const std::size_t keySize = card_->files.at(0x0D07).size();
    ASSERT_EQ(keySize, 140u);
    // Last, SOD 0x0D05 that signs the key file, in the same transaction: its EF, then
    // READ BINARY only.
    const std::vector<std::string> keyRead = {SelectFile(0x0D07), "00B0000080", "00B000800C", SelectFile(0x0D05)};
    ASSERT_GT(card_->sent.size(), head.size() + 1 + keyRead.size());
    EXPECT_EQ(std::vector<std::string>(card_->sent.begin(), card_->sent.begin() + static_cast<long>(head.size())),
              head);
    EXPECT_EQ(card_->sent[head.size()].substr(0, 10), "002A9E0023");
    const auto keyStart = card_->sent.begin() + static_cast<long>(head.size() + 1);
    EXPECT_EQ(std::vector<std::string>(keyStart, keyStart + static_cast<long>(keyRead.size())), keyRead);
    for (auto it = keyStart + static_cast<long>(keyRead.size()); it != card_->sent.end(); ++it) {
      EXPECT_EQ(it->substr(0, 4), "00B0") << *it;
    }
  }
  EXPECT_EQ(card_->connects, 1);
  EXPECT_EQ(card_->disconnects, 1);
  EXPECT_EQ(card_->openTransactions, 0);
}

TEST_F(CardSessionTest, TheSameJobWithoutSessionOpensAndSelectsForEveryOperation) {
  struct Case {
    bool inSession;
    int connects;
    int applicationSelects;
  };
  // Without a session every operation selects the application, and so does the read of
  // the SOD that signs the key file.
  for (const Case& c : {Case{true, 1, 2}, Case{false, 5, 6}}) {
    SCOPED_TRACE(c.inSession ? "in a session" : "without session");
    std::shared_ptr<CardSession> session;
    std::unique_ptr<ZKCard> card;
    if (c.inSession) {
      session = NewSession();
      card = std::make_unique<ZKCard>(session, 1);
    } else {
      card = std::make_unique<ZKCard>(NewCard(), 1);
    }
    card->ReadBlockBytes(0x0D01);
    card->ReadBlockBytes(0x0D02);
    card->CheckOrigin();
    session.reset();
    EXPECT_EQ(card_->connects, c.connects);
    EXPECT_EQ(card_->disconnects, c.connects);
    EXPECT_EQ(card_->openTransactions, 0);
    EXPECT_EQ(card_->Count(kSelectApplication), c.applicationSelects);
  }
}

TEST_F(CardSessionTest, SelectionIsForgottenOnAnythingThatMayChangeIt) {
  struct Case {
    const char* name;
    std::function<void(ZKCard&, std::shared_ptr<CardSession>&)> between;
    int applicationSelects;  // in the whole run
    int connects;
  };
  const auto swallow = [](const std::function<void()>& action) {
    try {
      action();
    } catch (const TAVQ::Exception&) {
    }
  };
  const std::vector<Case> cases = {
      {"nothing", [](ZKCard&, std::shared_ptr<CardSession>&) {}, 1, 1},
      {"a refused command",
       [&](ZKCard& card, std::shared_ptr<CardSession>&) {
         card_->refuseOnce = SelectFile(0x0D03);
         swallow([&] { card.ReadBlockBytes(0x0D03); });
       },
       2, 1},
      {"a block that fails its framing check",
       [&](ZKCard& card, std::shared_ptr<CardSession>&) {
         card_->files[0x0D03] = FillerBlock(0x0D04, 30);
         swallow([&] { card.ReadBlockBytes(0x0D03); });
       },
       2, 1},
      {"the application refused after the card manager",
       [&](ZKCard& card, std::shared_ptr<CardSession>&) {
         card.ReadChipSerialNumber();  // selects the application again: recorded
         card_->refuseOnce = kSelectApplication;
         swallow([&] { card.ReadChipSerialNumber(); });
       },
       4, 1},
      {"a removed card",
       [&](ZKCard& card, std::shared_ptr<CardSession>&) {
         card_->removedOnce = SelectFile(0x0D03);
         swallow([&] { card.ReadBlockBytes(0x0D03); });
       },
       2, 2},
      {"the end of the session",
       [](ZKCard&, std::shared_ptr<CardSession>& session) { session.reset(); }, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<CardSession> session = NewSession();
    ZKCard card(session, 1);
    card.ReadBlockBytes(0x0D01);
    c.between(card, session);
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
  struct Case {
    const char* name;
    std::size_t bodySize;
    std::size_t efPadding;  // EF bytes beyond the block
    std::vector<std::string> reads;
  };
  const std::vector<Case> cases = {
      {"block of one chunk", 40, 0, {"00B000002C"}},
      {"block in a larger EF", 40, 200, {"00B0000080"}},
      {"block of exactly one chunk", 124, 0, {"00B0000080"}},
      {"block of three chunks", 300, 0, {"00B0000080", "00B0008080", "00B0010030"}},
      {"header only", 0, 0, {"00B0000004"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<CardSession> session = NewSession();
    const ByteArray block = c.bodySize == 0 ? Block(0x0D02, {}) : FillerBlock(0x0D02, c.bodySize);
    card_->files[0x0D02] = Concat({block, ByteArray(c.efPadding, 0xEE)});
    ZKCard card(session, 1);
    card_->sent.clear();
    EXPECT_EQ(card.ReadBlockBytes(0x0D02), block);
    EXPECT_EQ(card_->sent, Join({{SelectFile(0x0D02)}, c.reads}));
  }
}

TEST_F(CardSessionTest, FramingChecksHoldInsideTheSession) {
  struct Case {
    const char* name;
    ByteArray file;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"EF too small", {0x02, 0x0D, 0x00}, "Card's elementary file with id 0xD02 has too small size"},
      {"wrong tag", FillerBlock(0x0D03, 40), "Tag value 0xD03 in read data block is different from required value 0xD02"},
      {"length beyond the EF", Concat({{0x02, 0x0D, 0x2D, 0x00}, ByteArray(40, 0)}),
       "Trying to read 45 bytes from data block 0xD02, but the maximum size of the block is 44"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<CardSession> session = NewSession();
    card_->files[0x0D02] = c.file;
    ZKCard card(session, 1);
    try {
      card.ReadBlockBytes(0x0D02);
      ADD_FAILURE() << "no exception";
    } catch (const CardException& e) {
      EXPECT_EQ(TAVQ::ToNarrow(e.message), c.message);
    }
  }
}

TEST_F(CardSessionTest, SecondApplicationOfAnyCardContinuesOnTheSameConnection) {
  std::shared_ptr<CardSession> session = NewSession(7);
  try {
    ZKCard first(session, 1);
    ADD_FAILURE() << "application 1 opened on a card without it";
  } catch (const JavaCard::AppletException& e) {
    EXPECT_EQ(e.statusWord, 0x6A82);
  }
  ZKCard second(session, 7);
  second.ReadBlockBytes(0x0D01);
  EXPECT_EQ(second.CardId(), 7);
  EXPECT_EQ(card_->connects, 1);
  EXPECT_EQ(Join({{kSelectApplication, SelectByName(kAid7)}, BlockRead(0x0D00), BlockRead(0x0D01)}), card_->sent);
}

TEST_F(CardSessionTest, SessionThatCannotConnectLeavesNothingOpenAndTriesAgainNextTime) {
  std::shared_ptr<CardSession> session = NewSession();
  card_->noCard = true;
  EXPECT_THROW(ZKCard card(session, 1), TAVQ::PCSC::PCSCWin32Exception);
  EXPECT_FALSE(session->IsOpen());
  card_->noCard = false;
  ZKCard card(session, 1);
  EXPECT_TRUE(session->IsOpen());
  EXPECT_EQ(card_->connects, 1);
  EXPECT_EQ(card_->Count(kSelectApplication), 1);
}

}  // namespace
