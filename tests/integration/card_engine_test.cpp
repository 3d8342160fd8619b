// The card engine against the virtual card through the real pcscd, over T=0 and T=1.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/raised.h"

#include <functional>

#include "card/zk_card.h"
#include "card_bench_test.h"
#include "model/document_data_block.h"
#include "support/exception.h"
#include "support/text.h"

using Fakes::MessageOf;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

class CardEngineTest : public testing::TestWithParam<const char*> {
 protected:
  void Insert(const std::vector<std::string>& faults = {}, const std::string& cardId = "1") {
    Bench::Insert(GetParam(), cardId, faults);
    inserted_ = true;
  }
  void Remove() {
    Bench::Remove();
    inserted_ = false;
  }
  void TearDown() override {
    if (inserted_) Bench::Remove();
  }
  std::unique_ptr<ZKCard> Open(std::uint16_t cardId = 1) {
    return std::make_unique<ZKCard>(Bench::Reader(), cardId);
  }

  bool inserted_ = false;
};

TEST_P(CardEngineTest, TamperedBlockFailsItsHash) {
  Insert({"tamper-block=0D02"});
  auto card = Open();
  EXPECT_EQ(MessageOf([&] { card->VerifyBlock(0x0D02); }),
            "Hash of block with ID 0xD02 does not match the hash in corresponding SOD block");
  EXPECT_NO_THROW(card->VerifyBlock(0x0D01));
}

TEST_P(CardEngineTest, BadSodSignatureIsReported) {
  Insert({"bad-sod-signature"});
  auto card = Open();
  EXPECT_EQ(MessageOf([&] { card->VerifyBlock(0x0D01); }), "PKCS7 structure has invalid signature");
}

TEST_P(CardEngineTest, SodMissingFromTheHeaderIsReported) {
  Insert({"sod-not-present"});
  auto card = Open();
  EXPECT_EQ(MessageOf([&] { card->VerifyBlock(0x0D01); }),
            "Card block with ID 3333 is not declared as present in the card");
}

TEST_P(CardEngineTest, ChipSerialMismatchIsReported) {
  Insert({"chip-serial-mismatch"});
  auto card = Open();
  const std::string message = MessageOf([&] { card->CheckOrigin(); });
  EXPECT_THAT(message, StartsWith("Chip serial number ("));
  EXPECT_THAT(message, HasSubstr(") is not equal to chip serial number written in document block ("));
  EXPECT_THAT(message, testing::EndsWith(")."));
}

TEST_P(CardEngineTest, ForeignActiveAuthenticationAnswersAreRefused) {
  for (const char* fault : {"bad-aa-signature", "wrong-aa-key"}) {
    Insert({fault});
    auto card = Open();
    EXPECT_EQ(MessageOf([&] { card->CheckOrigin(); }), "Active authentication error") << fault;
    Remove();
  }
}

TEST_P(CardEngineTest, FramingFaultsAreReported) {
  Insert({"header-tag-mismatch=0D01"});
  EXPECT_THAT(MessageOf([&] { Open()->ReadBlockBytes(0x0D01); }),
              testing::EndsWith("in read data block is different from required value 0xD01"));
  Remove();
  Insert({"tiny-ef=0D01"});
  EXPECT_EQ(MessageOf([&] { Open()->ReadBlockBytes(0x0D01); }),
            "Card's elementary file with id 0xD01 has too small size");
  Remove();
  Insert({"length-overflow=0D01"});
  EXPECT_THAT(MessageOf([&] { Open()->ReadBlockBytes(0x0D01); }), StartsWith("Trying to read "));
}

TEST_P(CardEngineTest, CardResetByAnotherClientIsRecoveredSilently) {
  Insert();
  auto card = Open();
  Bench::Reset();
  EXPECT_NO_THROW(card->ReadBlockBytes(0x0D01));
  EXPECT_NO_THROW(card->VerifyBlock(0x0D01));
}

TEST_P(CardEngineTest, CardRemovedDuringAReadReportsItsCodeAndCachesNothing) {
  Insert();
  std::size_t openCommands = 0;
  {
    auto probe = Open();
    openCommands = Bench::Commands().size();
  }
  Remove();
  // The card goes away at the third command of the first block read.
  Insert({"remove-after=" + std::to_string(openCommands + 3)});
  auto card = Open();
  try {
    card->ReadBlockBytes(0x0D01);
    FAIL() << "no exception";
  } catch (const TAVQ::PCSC::PCSCWin32Exception& e) {
    EXPECT_EQ(static_cast<std::uint32_t>(e.errorCode) & 0xFFFFFF00u, 0x80100000u) << std::hex << e.errorCode;
  }
  inserted_ = true;
  Remove();
  Insert();
  EXPECT_NO_THROW(card->ReadBlockBytes(0x0D01));
  EXPECT_GT(Bench::Commands().size(), 0u) << "the block came from the cache";
}

INSTANTIATE_TEST_SUITE_P(Protocols, CardEngineTest, testing::Values("T0", "T1"));

}  // namespace
