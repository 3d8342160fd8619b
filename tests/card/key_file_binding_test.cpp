// Active authentication binds the card's key file to SOD 0x0D05: the key a chip signs
// with counts only when it is the one the issuer signed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "card/zk_card.h"
#include "card_script.h"
#include "simulated_card.h"
#include "support/exception.h"
#include "support/text.h"
#include "test_pki.h"

using namespace CardScript;

namespace {

const std::vector<std::uint16_t> kAllBlocks = {0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04,
                                              0x0D05, 0x0D06, 0x0D07, 0x0D09};
const char* const kKeyHashMismatch = "Hash of block with ID 0xD07 does not match the hash in corresponding SOD block";

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const TAVQ::Exception& e) {
    return TAVQ::ToNarrow(e.message);
  }
  return "no exception";
}

std::string Hex(const ByteArray& bytes) { return TAVQ::ToNarrow(TAVQ::ToHexString(bytes)); }

class KeyFileBindingTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    chipKey_ = new TestPki();
    issuer_ = new TestPki();
    cloneKey_ = new TestPki();
  }
  static void TearDownTestSuite() {
    delete chipKey_;
    delete issuer_;
    delete cloneKey_;
  }

  // A card whose chip signs with chipKey and whose SOD 0x0D05, signed by the issuer,
  // carries sodContent (by default the hashes of the genuine card: zeros for the three
  // blocks, the genuine key file at position 3).
  std::unique_ptr<ZKCard> Open(const TestPki& chipKey, const std::vector<std::uint16_t>& present = kAllBlocks) {
    auto channel = std::make_unique<SimulatedCard>(chipKey);
    card_ = channel.get();
    card_->files[0x0D00] = HeaderBlock(1, present);
    card_->files[0x0D07] = chipKey.PublicKeyFile();
    card_->files[0x0D05] = KeySod(issuer_->SignAttached(KeySodContent(chipKey_->PublicKeyFile())));
    auto zk = std::make_unique<ZKCard>(std::move(channel), 1);
    card_->commands.clear();
    return zk;
  }

  // The commands received since the last clear, in hex; PERFORM SECURITY OPERATION
  // only by its header, since its data is a fresh challenge every time.
  std::vector<std::string> Commands() const {
    std::vector<std::string> commands;
    for (const ByteArray& command : card_->commands) {
      const std::string hex = Hex(command);
      commands.push_back(hex.rfind("002A9E00", 0) == 0 ? "002A9E00..." : hex);
    }
    return commands;
  }

  void ExpectNothingLeftOpen() const {
    EXPECT_EQ(card_->openTransactions, 0);
    EXPECT_EQ(card_->connects, card_->disconnects);
  }

  static TestPki* chipKey_;
  static TestPki* issuer_;
  static TestPki* cloneKey_;
  SimulatedCard* card_ = nullptr;
};
TestPki* KeyFileBindingTest::chipKey_ = nullptr;
TestPki* KeyFileBindingTest::issuer_ = nullptr;
TestPki* KeyFileBindingTest::cloneKey_ = nullptr;

// SELECT of the application, MSE, PSO, SELECT EF 0x0D07 and its READ BINARY chunks:
// the commands of active authentication, whatever the binding adds after them.
std::vector<std::string> ActiveAuthenticationCommands(std::size_t keyFileSize) {
  std::vector<std::string> commands = {"00A404000DF38100000253455256535A4B0100", "002241B6078001028402" "0D08",
                                       "002A9E00...", "00A40000020D0700"};
  char read[16];
  for (std::size_t offset = 0; offset < keyFileSize; offset += 128) {
    const std::size_t chunk = std::min<std::size_t>(128, keyFileSize - offset);
    std::snprintf(read, sizeof read, "00B0%04X%02X", static_cast<unsigned>(offset), static_cast<unsigned>(chunk));
    commands.push_back(read);
  }
  return commands;
}

TEST_F(KeyFileBindingTest, GenuineCardPassesWithTheSameCommandsOnceTheSodIsCached) {
  auto zk = Open(*chipKey_);
  card_->files[0x0D01] = FillerBlock(0x0D01, 40);
  // Verification would fail on the zero hashes; the SOD is cached by the attempt anyway.
  EXPECT_EQ(MessageOf([&] { zk->VerifyBlock(0x0D01); }),
            "Hash of block with ID 0xD01 does not match the hash in corresponding SOD block");
  card_->commands.clear();
  const int connectsBefore = card_->connects;

  EXPECT_NO_THROW(zk->ActiveAuthentication());
  EXPECT_EQ(Commands(), ActiveAuthenticationCommands(card_->files[0x0D07].size()));
  EXPECT_EQ(card_->connects - connectsBefore, 1);
  ExpectNothingLeftOpen();
}

TEST_F(KeyFileBindingTest, UncachedSodIsReadAfterTheKeyFileInTheSameTransaction) {
  auto zk = Open(*chipKey_);
  const int connectsBefore = card_->connects;
  EXPECT_NO_THROW(zk->ActiveAuthentication());

  std::vector<std::string> expected = ActiveAuthenticationCommands(card_->files[0x0D07].size());
  const std::size_t sodSize = card_->files[0x0D05].size();
  expected.insert(expected.end(), {"00A404000DF38100000253455256535A4B0100", "00A40000020D0500", "00B0000004"});
  char read[16];
  for (std::size_t offset = 0; offset < sodSize; offset += 128) {
    std::snprintf(read, sizeof read, "00B0%04X%02X", static_cast<unsigned>(offset),
                  static_cast<unsigned>(std::min<std::size_t>(128, sodSize - offset)));
    expected.push_back(read);
  }
  EXPECT_EQ(Commands(), expected);
  EXPECT_EQ(card_->connects - connectsBefore, 1);
  ExpectNothingLeftOpen();

  // Now cached: a second run reads no SOD.
  card_->commands.clear();
  EXPECT_NO_THROW(zk->ActiveAuthentication());
  EXPECT_EQ(Commands(), ActiveAuthenticationCommands(card_->files[0x0D07].size()));
}

TEST_F(KeyFileBindingTest, ClonedChipWithAKeyPairOfItsOwnFailsOnTheKeyHash) {
  // The clone signs correctly with its own key and serves that key's file; the SOD
  // copied from the genuine card signs the genuine key.
  auto zk = Open(*cloneKey_);
  EXPECT_EQ(MessageOf([&] { zk->ActiveAuthentication(); }), kKeyHashMismatch);
  ExpectNothingLeftOpen();
}

TEST_F(KeyFileBindingTest, AnyChangedKeyFileByteFailsOnTheKeyHashBeforeTheSignatureCheck) {
  struct Case {
    const char* what;
    std::size_t offset;  // from the start; past the modulus counted from the end
    bool fromEnd;
  };
  const Case cases[] = {
      {"byte 0, not interpreted", 0, false},
      {"a byte not interpreted after the type", 3, false},
      {"first modulus byte", 7, false},
      {"last exponent byte", 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto zk = Open(*chipKey_);
    ByteArray& keyFile = card_->files[0x0D07];
    keyFile[c.fromEnd ? keyFile.size() - c.offset : c.offset] ^= 0x01;
    EXPECT_EQ(MessageOf([&] { zk->ActiveAuthentication(); }), kKeyHashMismatch);
    ExpectNothingLeftOpen();
  }
}

TEST_F(KeyFileBindingTest, TheKeyHashIsTakenFromContentBytes96To127Only) {
  const ByteArray keyHash = Sha256Of(chipKey_->PublicKeyFile());
  struct Case {
    const char* what;
    ByteArray content;
    const char* message;
  };
  ByteArray atPosition2(2 * 32, 0x00);
  atPosition2.insert(atPosition2.end(), keyHash.begin(), keyHash.end());
  ByteArray atPosition3WithOthersRandom;
  for (int i = 0; i < 96; ++i) atPosition3WithOthersRandom.push_back(static_cast<std::uint8_t>(i * 7));
  atPosition3WithOthersRandom.insert(atPosition3WithOthersRandom.end(), keyHash.begin(), keyHash.end());
  ByteArray withATail = atPosition3WithOthersRandom;
  withATail.insert(withATail.end(), 32, 0xAB);
  ByteArray oneByteShort = atPosition3WithOthersRandom;
  oneByteShort.pop_back();

  const Case cases[] = {
      {"hash at position 3, other hashes anything", atPosition3WithOthersRandom, "no exception"},
      {"content longer than four hashes", withATail, "no exception"},
      {"hash at position 2", atPosition2, kKeyHashMismatch},
      {"content one byte short of position 3", oneByteShort, kKeyHashMismatch},
      {"content of three hashes", ByteArray(96, 0x00), kKeyHashMismatch},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto zk = Open(*chipKey_);
    card_->files[0x0D05] = KeySod(issuer_->SignAttached(c.content));
    EXPECT_EQ(MessageOf([&] { zk->ActiveAuthentication(); }), c.message);
  }
}

TEST_F(KeyFileBindingTest, SodFailuresAreReportedAsVerificationReportsThem) {
  {
    SCOPED_TRACE("SOD not declared present");
    std::vector<std::uint16_t> present = kAllBlocks;
    present.erase(std::find(present.begin(), present.end(), 0x0D05));
    auto zk = Open(*chipKey_, present);
    EXPECT_EQ(MessageOf([&] { zk->ActiveAuthentication(); }),
              "Card block with ID 3333 is not declared as present in the card");
    ExpectNothingLeftOpen();
  }
  {
    SCOPED_TRACE("SOD element that is no PKCS#7 message");
    auto zk = Open(*chipKey_);
    card_->files[0x0D05] = KeySod(ByteArray{0x30, 0x03, 0x02, 0x01, 0x01});
    EXPECT_EQ(MessageOf([&] { zk->ActiveAuthentication(); })
                  .rfind("Error parsing PKCS7 structure from SOD block, error code: ", 0),
              0u);
  }
  {
    SCOPED_TRACE("SOD with a broken signature");
    auto zk = Open(*chipKey_);
    ByteArray message = issuer_->SignAttached(KeySodContent(chipKey_->PublicKeyFile()));
    message.back() ^= 0x01;  // the signature value ends the message
    card_->files[0x0D05] = KeySod(message);
    EXPECT_EQ(MessageOf([&] { zk->ActiveAuthentication(); }), "PKCS7 structure has invalid signature");
  }
}

}  // namespace
