// Chip serial check and active authentication.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "card/zk_card.h"
#include "card_script.h"
#include "simulated_card.h"
#include "support/exception.h"
#include "support/text.h"
#include "fakes/raised.h"
#include "test_pki.h"

using namespace CardScript;
using Fakes::Call;
using Fakes::FakePCSC;
using Fakes::MessageOf;

extern std::vector<std::size_t> requestedChallengeLengths;

namespace {

const std::vector<std::uint16_t> kAllBlocks = {0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04,
                                              0x0D05, 0x0D06, 0x0D07, 0x0D09};

// CPLC answer: tag 9F7F, length, then the fields; bytes 13..20 hold the serial.
ByteArray CplcAnswer(std::size_t dataLength = 45) {
  ByteArray answer = {0x9F, 0x7F, static_cast<std::uint8_t>(dataLength - 3)};
  for (std::size_t i = answer.size(); i < dataLength; ++i) answer.push_back(static_cast<std::uint8_t>(i));
  answer.insert(answer.end(), {0x90, 0x00});
  return answer;
}

ByteArray DocumentBlock(const std::string& chipSerial) {
  auto ascii = [](const std::string& text) { return ByteArray(text.begin(), text.end()); };
  ByteArray insurer;
  for (char c : std::string("Insurer")) insurer.insert(insurer.end(), {static_cast<std::uint8_t>(c), 0});
  return Block(0x0D01, Concat({Element(0x0611, insurer), Element(0x0612, ascii("12345")),
                               Element(0x0613, ascii("99887766554")), Element(0x0615, ascii("01012020")),
                               Element(0x0616, ascii("01012030")), Element(0x0617, ascii(chipSerial)),
                               Element(0x0618, ascii("01"))}));
}

std::uint16_t StatusWordOf(const std::function<void()>& action) {
  return Fakes::Raised<JavaCard::AppletException>(action).statusWord;
}

class ChipSerialTest : public testing::Test {
 protected:
  std::unique_ptr<ZKCard> Open() {
    ExpectBlockRead(pcsc_, HeaderBlock(1, kAllBlocks));
    auto card = std::make_unique<ZKCard>(u"Virtual Reader 0", 1);
    pcsc_.ClearLog();
    return card;
  }
  void ExpectNothingLeftOpen() const {
    EXPECT_EQ(pcsc_.OpenCards(), 0u);
    EXPECT_EQ(pcsc_.OpenTransactions(), 0u);
  }
  FakePCSC pcsc_;
};

TEST_F(ChipSerialTest, ProbesCardManagersInOrderAndStopsAtTheFirstThatAnswers) {
  const char* const reselect = "00A404000DF38100000253455256535A4B0100";
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, ByteArray>> dialogue;
    std::string outcome;  // the serial, or the failure's message or status word
  } const cases[] = {
      {"second manager answers",
       {{"00A4040007A000000003000000", Fakes::Hex("6A82")}, {"00A4040008A00000000300000000", Fakes::Hex("9000")},
        {"80CA9F7F", CplcAnswer()}, {reselect, Fakes::Hex("9000")}},
       "0D0E0F1011121314"},
      {"no manager: the last select's status",
       {{"00A4040007A000000003000000", Fakes::Hex("6A82")}, {"00A4040008A00000000300000000", Fakes::Hex("6A82")},
        {"00A4040007A000000151000000", Fakes::Hex("6A81")}, {"00A4040008A000000018434D0000", Fakes::Hex("6999")}},
       "6999"},
      {"refused GET DATA stops the probing",
       {{"00A4040007A000000003000000", Fakes::Hex("9000")}, {"80CA9F7F", Fakes::Hex("6A88")}}, "6A88"},
      {"application not selectable again",
       {{"00A4040007A000000003000000", Fakes::Hex("9000")}, {"80CA9F7F", CplcAnswer()}, {reselect, Fakes::Hex("6A82")}},
       "6A82"},
      {"production data too short",
       {{"00A4040007A000000003000000", Fakes::Hex("9000")}, {"80CA9F7F", CplcAnswer(20)}, {reselect, Fakes::Hex("9000")}},
       "Chip serial number cannot be read: the card's production data has 20 bytes, at least 21 are needed"},
  };
  auto card = Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& [command, answer] : c.dialogue) pcsc_.ExpectApdu(Fakes::Hex(command), answer);
    std::string outcome;
    try {
      outcome = TAVQ::ToNarrow(card->ReadChipSerialNumber());
    } catch (const JavaCard::AppletException& e) {
      outcome = HexOf({static_cast<std::uint8_t>(e.statusWord >> 8), static_cast<std::uint8_t>(e.statusWord)});
    } catch (const TAVQ::Exception& e) {
      outcome = TAVQ::ToNarrow(e.message);
    }
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_TRUE(pcsc_.ScriptDone());
    ExpectNothingLeftOpen();
  }
  EXPECT_EQ(pcsc_.Count(Call::BeginTransaction), std::size(cases));
}

class CheckOriginTest : public ChipSerialTest {
 protected:
  void ExpectSerialRead() {
    pcsc_.ExpectApdu("00A4040007A000000003000000", "9000");
    pcsc_.ExpectApdu(Fakes::Hex("80CA9F7F"), CplcAnswer());
    pcsc_.ExpectApdu("00A404000DF38100000253455256535A4B0100", "9000");
  }
};

TEST_F(CheckOriginTest, DifferentSerialsAreReportedInUpperCase) {
  auto card = Open();
  ExpectSerialRead();
  ExpectBlockRead(pcsc_, DocumentBlock("0d0e0f1011121315"));
  EXPECT_EQ(MessageOf([&] { card->CheckOrigin(); }),
            "Chip serial number (0D0E0F1011121314) is not equal to chip serial number written in document block "
            "(0D0E0F1011121315).");
  EXPECT_TRUE(pcsc_.ScriptDone());
  ExpectNothingLeftOpen();
}

TEST_F(CheckOriginTest, ShorterDocumentSerialNeverMatches) {
  auto card = Open();
  ExpectSerialRead();
  ExpectBlockRead(pcsc_, DocumentBlock("0D0E0F10111213"));
  EXPECT_THAT(MessageOf([&] { card->CheckOrigin(); }), testing::HasSubstr("(0D0E0F10111213)."));
}

TEST_F(CheckOriginTest, LowerCaseDocumentSerialMatchesAndActiveAuthenticationFollows) {
  auto card = Open();
  ExpectSerialRead();
  ExpectBlockRead(pcsc_, DocumentBlock("0d0e0f1011121314"));
  // Active authentication starts: the card refuses its key environment.
  pcsc_.ExpectApdu("00A404000DF38100000253455256535A4B0100", "9000");
  pcsc_.ExpectApdu("002241B607800102840 20D08", "6A88");
  EXPECT_EQ(StatusWordOf([&] { card->CheckOrigin(); }), 0x6A88);
  EXPECT_TRUE(pcsc_.ScriptDone());
  ExpectNothingLeftOpen();
}

TEST_F(CheckOriginTest, RefusedSecurityEnvironmentRaises6A88AndReleasesTheReader) {
  auto card = Open();
  pcsc_.ExpectApdu("00A404000DF38100000253455256535A4B0100", "9000");
  pcsc_.ExpectApdu("002241B6078001028402 0D08", "6A88");
  EXPECT_EQ(StatusWordOf([&] { card->ActiveAuthentication(); }), 0x6A88);
  EXPECT_TRUE(pcsc_.ScriptDone());
  EXPECT_EQ(pcsc_.Count(Call::EndTransaction), 1u);
  EXPECT_EQ(pcsc_.Count(Call::Disconnect), 1u);
  ExpectNothingLeftOpen();
}

class ActiveAuthenticationTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { key_ = new TestPki(); }
  static void TearDownTestSuite() { delete key_; }

  // A card object over the simulated card, opened with card ID 1.
  std::unique_ptr<ZKCard> Open(std::uint8_t keyType = 2) {
    auto channel = std::make_unique<SimulatedCard>(*key_);
    card_ = channel.get();
    card_->files[0x0D00] = HeaderBlock(1, kAllBlocks);
    card_->files[0x0D07] = key_->PublicKeyFile(keyType);
    SignKeyFile();
    return std::make_unique<ZKCard>(std::move(channel), 1);
  }
  // SOD 0x0D05 over the key file as the card holds it now.
  void SignKeyFile() { card_->files[0x0D05] = KeySod(key_->SignAttached(KeySodContent(card_->files[0x0D07]))); }

  static TestPki* key_;
  SimulatedCard* card_ = nullptr;
};
TestPki* ActiveAuthenticationTest::key_ = nullptr;

TEST_F(ActiveAuthenticationTest, CardHoldingThePrivateKeyPasses) {
  auto zk = Open();
  requestedChallengeLengths.clear();
  EXPECT_NO_THROW(zk->ActiveAuthentication());
  EXPECT_EQ(requestedChallengeLengths, std::vector<std::size_t>{128});
  // The card signs the SHA-1 DigestInfo of the challenge.
  ASSERT_EQ(card_->signedData.size(), 1u);
  EXPECT_EQ(card_->signedData[0].size(), 35u);
  EXPECT_EQ(card_->openTransactions, 0);
  EXPECT_EQ(card_->connects, card_->disconnects);
  EXPECT_NO_THROW(Open(5)->ActiveAuthentication());  // a key file of type five
}

TEST_F(ActiveAuthenticationTest, TwoRunsSendDifferentChallenges) {
  auto zk = Open();
  zk->ActiveAuthentication();
  zk->ActiveAuthentication();
  ASSERT_EQ(card_->signedData.size(), 2u);
  EXPECT_NE(card_->signedData[0], card_->signedData[1]);
}

TEST_F(ActiveAuthenticationTest, SignatureOverOtherDataFails) {
  auto zk = Open();
  // A well-formed DigestInfo, but of another digest than the challenge's.
  card_->signInstead = Fakes::Hex("3021300906052B0E03021A05000414 0000000000000000000000000000000000000000");
  EXPECT_EQ(MessageOf([&] { zk->ActiveAuthentication(); }), "Active authentication error");
  EXPECT_EQ(card_->openTransactions, 0);
  EXPECT_EQ(card_->connects, card_->disconnects);
}

TEST_F(ActiveAuthenticationTest, KeyFileOfAnotherTypeOrTruncatedIsAnInvalidPublicKey) {
  auto other = Open(3);
  EXPECT_EQ(MessageOf([&] { other->ActiveAuthentication(); }), "Invalid public key\r\nParameter Name: publicKeyDer");
  auto truncated = Open();
  card_->files[0x0D07].resize(card_->files[0x0D07].size() - 1);
  SignKeyFile();
  EXPECT_EQ(MessageOf([&] { truncated->ActiveAuthentication(); }), "Invalid public key\r\nParameter Name: publicKeyDer");
}

}  // namespace
