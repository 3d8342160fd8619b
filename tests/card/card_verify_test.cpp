// Block verification against the card's Security Objects, over the scripted PC/SC.
#include <gtest/gtest.h>

#include <map>

#include "card_script.h"
#include "test_pki.h"

using namespace CardScript;
using Fakes::Call;
using Fakes::FakePCSC;

namespace {

class VerifyBlockTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { pki_ = new TestPki(); }
  static void TearDownTestSuite() { delete pki_; }

  // The hashes of the given blocks, in order.
  static ByteArray HashesOf(std::initializer_list<std::uint16_t> ids) {
    ByteArray content;
    for (std::uint16_t id : ids) content = Concat({content, Sha256Of(blocks_.at(id))});
    return content;
  }
  static ByteArray Sod(std::uint16_t sodId, std::uint16_t tag, const ByteArray& content) {
    return Block(sodId, Element(tag, pki_->SignAttached(content)));
  }

  static inline TestPki* pki_ = nullptr;
  static inline const std::map<std::uint16_t, ByteArray> blocks_ = {
      {0x0D00, HeaderBlock(1)},          {0x0D01, FillerBlock(0x0D01, 150)}, {0x0D02, FillerBlock(0x0D02, 90)},
      {0x0D03, FillerBlock(0x0D03, 60)}, {0x0D04, FillerBlock(0x0D04, 70)},  {0x0D07, FillerBlock(0x0D07, 20)}};
};

TEST_F(VerifyBlockTest, BlockHashMustStandAtItsPositionInItsOwnSod) {
  const ByteArray firstSod = Sod(0x0D05, 0x0750, HashesOf({0x0D00, 0x0D01, 0x0D02, 0x0D07}));
  ByteArray changed = blocks_.at(0x0D02);
  changed[4] ^= 0x01;  // the first byte after the header
  ByteArray tooShort = HashesOf({0x0D00, 0x0D01, 0x0D02});
  tooShort.pop_back();
  const struct {
    const char* name;
    std::uint16_t blockId;
    ByteArray sod;
    ByteArray served;  // the block as the card serves it; empty: read already with the header
    std::string outcome;
  } cases[] = {
      {"header, first in SOD 0x0D05", 0x0D00, firstSod, {}, ""},
      {"document, second", 0x0D01, firstSod, blocks_.at(0x0D01), ""},
      {"fixed personal block, third", 0x0D02, firstSod, blocks_.at(0x0D02), ""},
      {"variable personal block in SOD 0x0D06", ZKBlock::kVariablePerso, Sod(0x0D06, 0x0760, HashesOf({0x0D03})),
       blocks_.at(0x0D03), ""},
      {"variable administrative block in SOD 0x0D09", ZKBlock::kVariableAdmin,
       Sod(0x0D09, 0x0770, HashesOf({0x0D04})), blocks_.at(0x0D04), ""},
      {"a changed byte", 0x0D02, firstSod, changed,
       "Hash of block with ID 0xD02 does not match the hash in corresponding SOD block"},
      {"hashes in swapped positions", 0x0D01, Sod(0x0D05, 0x0750, HashesOf({0x0D01, 0x0D00, 0x0D02, 0x0D07})),
       blocks_.at(0x0D01), "Hash of block with ID 0xD01 does not match the hash in corresponding SOD block"},
      {"content one byte short of the hash", 0x0D02, Sod(0x0D05, 0x0750, tooShort), blocks_.at(0x0D02),
       "Hash of block with ID 0xD02 does not match the hash in corresponding SOD block"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePCSC pcsc;
    auto card = OpenCard(pcsc);
    ExpectBlockRead(pcsc, c.sod);
    if (!c.served.empty()) ExpectBlockRead(pcsc, c.served);
    Certificate signer;
    EXPECT_EQ(OutcomeOf([&] { signer = card->VerifyBlock(c.blockId); }), c.outcome);
    EXPECT_TRUE(pcsc.ScriptDone());
    EXPECT_EQ(signer.IsEmpty() ? ByteArray() : signer.GetEncoded(), c.outcome.empty() ? pki_->CertificateDer() : ByteArray());
  }
}

TEST_F(VerifyBlockTest, SodAndBlocksAreReadOnceAndOnlyWhenPresent) {
  {
    FakePCSC pcsc;
    auto card = OpenCard(pcsc);
    ExpectBlockRead(pcsc, Sod(0x0D05, 0x0750, HashesOf({0x0D00, 0x0D01, 0x0D02, 0x0D07})));
    ExpectBlockRead(pcsc, blocks_.at(0x0D01));
    ExpectBlockRead(pcsc, blocks_.at(0x0D02));
    card->VerifyBlock(0x0D01);
    card->VerifyBlock(0x0D02);
    card->VerifyBlock(0x0D01);
    EXPECT_TRUE(pcsc.ScriptDone());
    // A block without SOD: an empty certificate, and no card at all.
    pcsc.ClearLog();
    EXPECT_EQ(OutcomeOf([&] { card->VerifyBlock(0x0D08).GetEncoded(); }), "Certificate is not initialized.");
    EXPECT_TRUE(pcsc.log().empty());
  }
  FakePCSC pcsc;
  auto card = OpenCard(pcsc, {0x0D00, 0x0D01, 0x0D02});
  EXPECT_EQ(OutcomeOf([&] { card->VerifyBlock(0x0D01); }),
            "Card block with ID 3333 is not declared as present in the card");
  EXPECT_EQ(pcsc.Count(Call::Transmit), 0u);
}

}  // namespace
