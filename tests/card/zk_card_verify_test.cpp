// Block verification against the card's Security Objects, over the scripted PC/SC.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/raised.h"

#include <functional>

#include "card/zk_card.h"
#include "card_script.h"
#include "support/exception.h"
#include "support/text.h"
#include "test_pki.h"

using Fakes::MessageOf;
using namespace CardScript;
using Fakes::Call;
using Fakes::FakePCSC;

namespace {

const std::vector<std::uint16_t> kAllBlocks = {0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04,
                                              0x0D05, 0x0D06, 0x0D07, 0x0D09};


ByteArray SodFile(std::uint16_t sodId, std::uint16_t elementTag, const ByteArray& der) {
  return Block(sodId, Element(elementTag, der));
}

class VerifyBlockTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { pki_ = new TestPki(); }
  static void TearDownTestSuite() { delete pki_; }

  VerifyBlockTest() {
    blocks_[0x0D00] = HeaderBlock(1, kAllBlocks);
    blocks_[0x0D01] = FillerBlock(0x0D01, 150);
    blocks_[0x0D02] = FillerBlock(0x0D02, 90);
    blocks_[0x0D03] = FillerBlock(0x0D03, 60);
    blocks_[0x0D04] = FillerBlock(0x0D04, 70);
    blocks_[0x0D07] = FillerBlock(0x0D07, 20);
  }

  ByteArray HashesOf(std::initializer_list<std::uint16_t> ids) {
    ByteArray content;
    for (std::uint16_t id : ids) {
      const ByteArray digest = Sha256Of(blocks_[id]);
      content.insert(content.end(), digest.begin(), digest.end());
    }
    return content;
  }

  std::unique_ptr<ZKCard> Open(const std::vector<std::uint16_t>& present = kAllBlocks) {
    ExpectBlockRead(pcsc_, HeaderBlock(1, present));
    auto card = std::make_unique<ZKCard>(u"Virtual Reader 0", 1);
    pcsc_.ClearLog();
    return card;
  }

  static TestPki* pki_;
  std::map<std::uint16_t, ByteArray> blocks_;
  FakePCSC pcsc_;
};
TestPki* VerifyBlockTest::pki_ = nullptr;

TEST_F(VerifyBlockTest, BlocksOfTheFirstSodAreCheckedAtTheirPositionsAndReturnTheSigner) {
  auto card = Open();
  const ByteArray sod = SodFile(0x0D05, 0x0750, pki_->SignAttached(HashesOf({0x0D00, 0x0D01, 0x0D02, 0x0D07})));
  ExpectBlockRead(pcsc_, sod);
  ExpectBlockRead(pcsc_, blocks_[0x0D01]);
  EXPECT_EQ(card->VerifyBlock(0x0D01).GetEncoded(), pki_->CertificateDer());

  // The SOD is cached now: only the new block crosses the reader.
  ExpectBlockRead(pcsc_, blocks_[0x0D02]);
  EXPECT_EQ(card->VerifyBlock(0x0D02).GetEncoded(), pki_->CertificateDer());
  // Both blocks cached: a verification needs no card at all.
  pcsc_.ClearLog();
  EXPECT_FALSE(card->VerifyBlock(0x0D01).IsEmpty());
  EXPECT_TRUE(pcsc_.log().empty());
  EXPECT_TRUE(pcsc_.ScriptDone());
}

TEST_F(VerifyBlockTest, VariableBlocksAreCheckedAgainstTheirOwnSods) {
  auto card = Open();
  ExpectBlockRead(pcsc_, SodFile(0x0D06, 0x0760, pki_->SignAttached(HashesOf({0x0D03}))));
  ExpectBlockRead(pcsc_, blocks_[0x0D03]);
  EXPECT_FALSE(card->VerifyBlock(0x0D03).IsEmpty());
  ExpectBlockRead(pcsc_, SodFile(0x0D09, 0x0770, pki_->SignAttached(HashesOf({0x0D04}))));
  ExpectBlockRead(pcsc_, blocks_[0x0D04]);
  EXPECT_FALSE(card->VerifyBlock(0x0D04).IsEmpty());
  EXPECT_TRUE(pcsc_.ScriptDone());
}

TEST_F(VerifyBlockTest, ChangedBlockByteIsAHashMismatchWhileTheSignatureHolds) {
  auto card = Open();
  const ByteArray content = HashesOf({0x0D00, 0x0D01, 0x0D02, 0x0D07});
  ByteArray changed = blocks_[0x0D02];
  changed[4] ^= 0x01;  // the first byte after the 4-byte header
  ExpectBlockRead(pcsc_, SodFile(0x0D05, 0x0750, pki_->SignAttached(content)));
  ExpectBlockRead(pcsc_, changed);
  EXPECT_EQ(MessageOf([&] { card->VerifyBlock(0x0D02); }),
            "Hash of block with ID 0xD02 does not match the hash in corresponding SOD block");
}

TEST_F(VerifyBlockTest, HashesInSwappedPositionsDoNotMatch) {
  auto card = Open();
  ExpectBlockRead(pcsc_, SodFile(0x0D05, 0x0750, pki_->SignAttached(HashesOf({0x0D01, 0x0D00, 0x0D02, 0x0D07}))));
  ExpectBlockRead(pcsc_, blocks_[0x0D01]);
  EXPECT_EQ(MessageOf([&] { card->VerifyBlock(0x0D01); }),
            "Hash of block with ID 0xD01 does not match the hash in corresponding SOD block");
}

TEST_F(VerifyBlockTest, SignedContentTooShortForThePositionIsAHashMismatch) {
  auto card = Open();
  // Hashes of 0x0D00 and 0x0D01 only, and 31 bytes of the third.
  ByteArray content = HashesOf({0x0D00, 0x0D01, 0x0D02});
  content.pop_back();
  ExpectBlockRead(pcsc_, SodFile(0x0D05, 0x0750, pki_->SignAttached(content)));
  ExpectBlockRead(pcsc_, blocks_[0x0D02]);
  EXPECT_EQ(MessageOf([&] { card->VerifyBlock(0x0D02); }),
            "Hash of block with ID 0xD02 does not match the hash in corresponding SOD block");
}

TEST_F(VerifyBlockTest, SodMissingFromThePresentListFailsWithItsDecimalId) {
  auto card = Open({0x0D00, 0x0D01, 0x0D02});
  EXPECT_EQ(MessageOf([&] { card->VerifyBlock(0x0D01); }),
            "Card block with ID 3333 is not declared as present in the card");
  EXPECT_EQ(pcsc_.Count(Call::Transmit), 0u);
}

TEST_F(VerifyBlockTest, SodValueThatIsNoSignedDataFailsToParse) {
  auto card = Open();
  ExpectBlockRead(pcsc_, SodFile(0x0D05, 0x0750, {0x30, 0x03, 0x02, 0x01, 0x07}));
  EXPECT_THAT(MessageOf([&] { card->VerifyBlock(0x0D01); }),
              testing::StartsWith("Error parsing PKCS7 structure from SOD block, error code: "));
}

TEST_F(VerifyBlockTest, BlockWithoutSodReturnsAnEmptyCertificateWithoutTouchingTheCard) {
  auto card = Open();
  EXPECT_TRUE(card->VerifyBlock(0x0D08).IsEmpty());
  EXPECT_TRUE(pcsc_.log().empty());
}

}  // namespace
