// Chip serial check and active authentication.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "card/zk_card.h"
#include "card_script.h"
#include "simulated_card.h"
#include "support/exception.h"
#include "support/text.h"
#include "test_pki.h"

using namespace CardScript;
using Fakes::Call;
using Fakes::FakePCSC;

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
// Bytes 13 to 20 of CplcAnswer().
const char16_t* const kCardSerial = u"0D0E0F1011121314";

ByteArray DocumentBlock(const std::string& chipSerial) {
  auto ascii = [](const std::string& text) { return ByteArray(text.begin(), text.end()); };
  ByteArray insurer;
  for (char c : std::string("Insurer")) insurer.insert(insurer.end(), {static_cast<std::uint8_t>(c), 0});
  return Block(0x0D01, Concat({Element(0x0611, insurer), Element(0x0612, ascii("12345")),
                               Element(0x0613, ascii("99887766554")), Element(0x0615, ascii("01012020")),
                               Element(0x0616, ascii("01012030")), Element(0x0617, ascii(chipSerial)),
                               Element(0x0618, ascii("01"))}));
}

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const TAVQ::Exception& e) {
    return TAVQ::ToNarrow(e.message);
  }
  return "no exception";
}

std::uint16_t StatusWordOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const JavaCard::AppletException& e) {
    return e.statusWord;
  }
  ADD_FAILURE() << "no AppletException";
  return 0;
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
  auto card = Open();
  pcsc_.ExpectApdu("00A4040007A000000003000000", "6A82");
  pcsc_.ExpectApdu("00A4040008A00000000300000000", "9000");
  pcsc_.ExpectApdu(Fakes::Hex("80CA9F7F"), CplcAnswer());
  pcsc_.ExpectApdu("00A404000DF38100000253455256535A4B0100", "9000");
  EXPECT_EQ(card->ReadChipSerialNumber(), kCardSerial);
  EXPECT_TRUE(pcsc_.ScriptDone());
  EXPECT_EQ(pcsc_.Count(Call::BeginTransaction), 1u);
  ExpectNothingLeftOpen();
}

TEST_F(ChipSerialTest, NoCardManagerRaisesTheStatusWordOfTheLastSelect) {
  auto card = Open();
  pcsc_.ExpectApdu("00A4040007A000000003000000", "6A82");
  pcsc_.ExpectApdu("00A4040008A00000000300000000", "6A82");
  pcsc_.ExpectApdu("00A4040007A000000151000000", "6A81");
  pcsc_.ExpectApdu("00A4040008A000000018434D0000", "6999");
  EXPECT_EQ(StatusWordOf([&] { card->ReadChipSerialNumber(); }), 0x6999);
  EXPECT_TRUE(pcsc_.ScriptDone());
  ExpectNothingLeftOpen();
}

TEST_F(ChipSerialTest, RefusedGetDataStopsTheProbing) {
  auto card = Open();
  pcsc_.ExpectApdu("00A4040007A000000003000000", "9000");
  pcsc_.ExpectApdu("80CA9F7F", "6A88");
  EXPECT_EQ(StatusWordOf([&] { card->ReadChipSerialNumber(); }), 0x6A88);
  EXPECT_TRUE(pcsc_.ScriptDone());
  ExpectNothingLeftOpen();
}

TEST_F(ChipSerialTest, ApplicationThatCannotBeSelectedAgainRaisesItsStatusWord) {
  auto card = Open();
  pcsc_.ExpectApdu("00A4040007A000000003000000", "9000");
  pcsc_.ExpectApdu(Fakes::Hex("80CA9F7F"), CplcAnswer());
  pcsc_.ExpectApdu("00A404000DF38100000253455256535A4B0100", "6A82");
  EXPECT_EQ(StatusWordOf([&] { card->ReadChipSerialNumber(); }), 0x6A82);
  ExpectNothingLeftOpen();
}

TEST_F(ChipSerialTest, ProductionDataTooShortForTheSerialFailsClearly) {
  auto card = Open();
  pcsc_.ExpectApdu("00A4040007A000000003000000", "9000");
  pcsc_.ExpectApdu(Fakes::Hex("80CA9F7F"), CplcAnswer(20));
  pcsc_.ExpectApdu("00A404000DF38100000253455256535A4B0100", "9000");
  EXPECT_EQ(MessageOf([&] { card->ReadChipSerialNumber(); }),
            "Chip serial number cannot be read: the card's production data has 20 bytes, at least 21 are needed");
  ExpectNothingLeftOpen();
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
  EXPECT_NO_THROW(zk->ActiveAuthentication());
  ASSERT_EQ(card_->signedData.size(), 1u);
  EXPECT_EQ(card_->signedData[0].size(), 35u);
  EXPECT_EQ(card_->openTransactions, 0);
  EXPECT_EQ(card_->connects, card_->disconnects);
}

TEST_F(ActiveAuthenticationTest, KeyFileOfTypeFivePasses) {
  auto zk = Open(5);
  EXPECT_NO_THROW(zk->ActiveAuthentication());
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

TEST_F(ActiveAuthenticationTest, KeyFileOfAnotherTypeIsAnInvalidPublicKey) {
  auto zk = Open(3);
  EXPECT_EQ(MessageOf([&] { zk->ActiveAuthentication(); }), "Invalid public key\r\nParameter Name: publicKeyDer");
}

TEST_F(ActiveAuthenticationTest, TruncatedKeyFileIsAnInvalidPublicKey) {
  auto zk = Open();
  card_->files[0x0D07].resize(card_->files[0x0D07].size() - 1);
  SignKeyFile();
  EXPECT_EQ(MessageOf([&] { zk->ActiveAuthentication(); }), "Invalid public key\r\nParameter Name: publicKeyDer");
}

}  // namespace
