// Chip serial check and active authentication, with the key file bound to SOD 0x0D05.
#include <gtest/gtest.h>

#include <algorithm>

#include "card_script.h"

using namespace CardScript;

extern std::vector<ByteArray> issuedChallenges;

namespace {

const char* const kSelectApplication = "00A404000DF38100000253455256535A4B0100";
const char* const kKeyHashMismatch = "Hash of block with ID 0xD07 does not match the hash in corresponding SOD block";
const char* const kInvalidKey = "Invalid public key\r\nParameter Name: publicKeyDer";

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

  // The first run reads SOD 0x0D05 after the key file, in the same connection; the
  // second takes it from the cache. The card signs (and the check passes only with)
  // the SHA-1 DigestInfo of a fresh 128-byte challenge.
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
  EXPECT_EQ(sim.card.connects, 3);
  EXPECT_EQ(sim.card.disconnects, 3);
  EXPECT_EQ(issuedChallenges[0].size(), 128u);
  EXPECT_EQ(issuedChallenges[1].size(), 128u);
  EXPECT_NE(issuedChallenges[0], issuedChallenges[1]);
}

TEST(OriginTest, OnlyTheChipOfTheDocumentWithTheIssuersKeyPasses) {
  const auto flip = [](long at) {  // from the end when negative
    return [at](SimulatedCard& card) { card.files[0x0D07][at < 0 ? card.files[0x0D07].size() + at : at] ^= 0x01; };
  };
  const auto content = [](const ByteArray& bytes) {
    return [bytes](SimulatedCard& card) { card.files[0x0D05] = KeySod(kIssuer.SignAttached(bytes)); };
  };
  const auto document = [](const std::string& serial) {
    return [serial](SimulatedCard& card) { card.files[0x0D01] = DocumentBlock(serial); };
  };
  const auto signedKeyFile = [](const std::function<void(ByteArray&)>& change) {
    return [change](SimulatedCard& card) {
      change(card.files[0x0D07]);
      SignKeyFile(card, kIssuer);
    };
  };
  const ByteArray keyHash = Sha256Of(kChip.PublicKeyFile());
  ByteArray otherHashes;
  for (int i = 0; i < 96; ++i) otherHashes.push_back(static_cast<std::uint8_t>(i * 7));
  ByteArray oneByteShort = Concat({otherHashes, keyHash});
  oneByteShort.pop_back();
  const struct {
    const char* what;
    std::function<void(SimulatedCard&)> change;
    std::string outcome;
  } cases[] = {
      {"genuine card", [](SimulatedCard&) {}, ""},
      {"key type five", signedKeyFile([](ByteArray& file) { file = kChip.PublicKeyFile(5); }), ""},
      {"serial in lower case", document("0d0e0f1011121314"), ""},
      {"other serial", document("0d0e0f1011121315"),
       "Chip serial number (0D0E0F1011121314) is not equal to chip serial number written in document block "
       "(0D0E0F1011121315)."},
      {"shorter serial", document("0D0E0F10111213"),
       "Chip serial number (0D0E0F1011121314) is not equal to chip serial number written in document block "
       "(0D0E0F10111213)."},
      {"a clone's key file", [](SimulatedCard& card) { card.files[0x0D07] = kClone.PublicKeyFile(); },
       kKeyHashMismatch},
      {"key file byte 0, not interpreted", flip(0), kKeyHashMismatch},
      {"last exponent byte", flip(-1), kKeyHashMismatch},
      {"other hashes anything", content(Concat({otherHashes, keyHash})), ""},
      {"key hash at position 2", content(Concat({ByteArray(64, 0), keyHash})), kKeyHashMismatch},
      {"content one byte short", content(oneByteShort), kKeyHashMismatch},
      {"SOD not declared present",
       [](SimulatedCard& card) { card.files[0x0D00] = HeaderBlock(1, {0x0D00, 0x0D01, 0x0D07}); },
       "Card block with ID 3333 is not declared as present in the card"},
      {"signature over other data",
       [](SimulatedCard& card) { card.signInstead = Concat({Fakes::Hex("3021300906052B0E03021A05000414"), ByteArray(20)}); },
       "Active authentication error"},
      {"key of another type", signedKeyFile([](ByteArray& file) { file[1] = 3; }), kInvalidKey},
      {"key file truncated", signedKeyFile([](ByteArray& file) { file.pop_back(); }), kInvalidKey},
      {"empty modulus", signedKeyFile([](ByteArray& file) { file = Fakes::Hex("0002000000 0000 000103"); }), kInvalidKey},
      {"empty exponent", signedKeyFile([](ByteArray& file) { file = Fakes::Hex("0002000000 0001C5 0000"); }), kInvalidKey},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<SimulatedCard> owned = GenuineCard(kChip, kIssuer);
    SimulatedCard& card = *owned;
    c.change(card);
    ZKCard zk(std::move(owned), 1);
    EXPECT_EQ(OutcomeOf([&] { zk.CheckOrigin(); }), c.outcome);
    EXPECT_EQ(card.openTransactions, 0);
    EXPECT_EQ(card.connects, card.disconnects);
  }
}

}  // namespace
