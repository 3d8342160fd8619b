// Chip serial check and active authentication, with the key file bound to SOD 0x0D05.
#include <gtest/gtest.h>

#include "card_script.h"

using namespace CardScript;

extern std::vector<ByteArray> issuedChallenges;

namespace {

const char* const kKeyHashMismatch = "Hash of block with ID 0xD07 does not match the hash in corresponding SOD block";

TEST(ChipSerialTest, ProbesCardManagersInOrderAndStopsAtTheFirstThatAnswers) {
  const std::string manager2 = "00A4040008A00000000300000000";  // the first the card knows
  const struct {
    const char* what;
    std::map<std::string, ByteArray> answers;  // besides the card's own
    std::string outcome;  // the serial, or the failure
  } cases[] = {
      {"second manager answers", {}, "0D0E0F1011121314"},
      {"no manager: the last select's status",
       {{manager2, Fakes::Hex("6A82")}, {"00A4040007A000000151000000", Fakes::Hex("6A81")},
        {"00A4040008A000000018434D0000", Fakes::Hex("6999")}},
       "6999"},
      {"refused GET DATA stops the probing", {{"80CA9F7F", Fakes::Hex("6A88")}}, "6A88"},
      {"application not selectable again", {{kSelectApplication, Fakes::Hex("6A82")}}, "6A82"},
      {"production data too short", {{"80CA9F7F", Fakes::Hex("9F7F11 030405060708090A0B0C0D0E0F10111213 9000")}},
       "Chip serial number cannot be read: the card's production data has 20 bytes, at least 21 are needed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const OpenedCard sim = OpenCard(CardWith({}));
    sim.card.answerOnce = c.answers;
    std::string serial;
    const std::string failure = OutcomeOf([&] { serial = TAVQ::ToUtf8(sim.zk->ReadChipSerialNumber()); });
    EXPECT_EQ(failure.empty() ? serial : failure, c.outcome);
    EXPECT_EQ(sim.card.sent.front(), "00A4040007A000000003000000");
    EXPECT_TRUE(sim.card.answerOnce.empty());  // every answer asked for
    EXPECT_EQ(sim.card.openTransactions, 0);
  }
}

const TestPki kChip, kIssuer, kClone;  // the chip's key, the issuer's, a clone's own

TEST(OriginTest, ChipSignsAFreshChallengeAndTheSodIsReadOnceAfterTheKeyFile) {
  const OpenedCard sim = OpenCard(GenuineCard(kChip, kIssuer));
  issuedChallenges.clear();
  sim.zk->ActiveAuthentication();
  sim.zk->ActiveAuthentication();

  // SOD 0x0D05 is read after the key file in the first run's connection, then cached.
  ASSERT_EQ(issuedChallenges.size(), 2u);
  const auto authentication = [&](std::size_t run) {
    return std::vector<std::string>{kSelectApplication, "002241B60780010284020D08",
                                    "002A9E0023" + HexOf(sim.card.signedData.at(run)) + "00", "00A40000020D0700",
                                    "00B0000080", "00B000800C"};
  };
  const std::vector<std::string>& sent = sim.card.sent;
  ASSERT_GT(sent.size(), 12u);
  EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 6), authentication(0));
  EXPECT_EQ(sent[6] + sent[7], kSelectApplication + SelectFile(0x0D05));
  EXPECT_EQ(std::vector<std::string>(sent.end() - 6, sent.end()), authentication(1));
  EXPECT_EQ(sim.card.Count(SelectFile(0x0D05)), 1);
  EXPECT_EQ(sim.card.Connections(), "3/3/0");
  EXPECT_NE(issuedChallenges[0], issuedChallenges[1]);
  for (const ByteArray& challenge : issuedChallenges) EXPECT_EQ(challenge.size(), 128u);
}

TEST(OriginTest, OnlyTheChipOfTheDocumentWithTheIssuersKeyPasses) {
  const auto change = [](std::uint16_t fileId, const ByteArray& bytes) {
    return [fileId, bytes](SimulatedCard& card) { card.files[fileId] = bytes; };
  };
  const std::string otherSerial =
      "Chip serial number (0D0E0F1011121314) is not equal to chip serial number written in document block ";
  ByteArray byte0Changed = kChip.PublicKeyFile();
  byte0Changed[0] ^= 0x01;  // not interpreted, yet signed
  const struct {
    const char* what;
    std::function<void(SimulatedCard&)> change;
    std::string outcome;
  } cases[] = {
      {"genuine card", [](SimulatedCard&) {}, ""},
      {"serial in lower case", change(0x0D01, DocumentBlock("0d0e0f1011121314")), ""},
      {"other serial", change(0x0D01, DocumentBlock("0D0E0F1011121315")), otherSerial + "(0D0E0F1011121315)."},
      {"a clone's key file", change(0x0D07, kClone.PublicKeyFile()), kKeyHashMismatch},
      {"key file byte 0", change(0x0D07, byte0Changed), kKeyHashMismatch},
      {"SOD not declared present", change(0x0D00, HeaderBlock(1, {0x0D00, 0x0D01, 0x0D07})),
       "Card block with ID 3333 is not declared as present in the card"},
      {"signature over other data",
       [](SimulatedCard& card) { card.signInstead = Concat({Fakes::Hex("3021300906052B0E03021A05000414"), ByteArray(20)}); },
       "Active authentication error"},
      {"empty exponent, signed",
       [](SimulatedCard& card) {
         card.files[0x0D07] = Fakes::Hex("0002000000 0001C5 0000");
         SignKeyFile(card, kIssuer);
       },
       kInvalidKey},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<SimulatedCard> owned = GenuineCard(kChip, kIssuer);
    SimulatedCard& card = *owned;
    c.change(card);
    ZKCard zk(std::move(owned), 1);
    EXPECT_EQ(OutcomeOf([&] { zk.CheckOrigin(); }), c.outcome);
    EXPECT_EQ(card.connects, card.disconnects);
    EXPECT_EQ(card.openTransactions, 0);
  }
}

}  // namespace
