#include <gtest/gtest.h>

#include "fakes/fake_pcsc.h"
#include "support/exception.h"
#include "transport/command_apdu.h"
#include "transport/response_apdu.h"

using Fakes::Hex;
using SmartCardIO::ApduCase;
using SmartCardIO::CommandAPDU;
using SmartCardIO::ResponseAPDU;
using SmartCardIO::SCIOException;
using TAVQ::ByteArray;

namespace {

template <typename Build>
std::u16string BuildError(Build build) {
  try {
    build();
  } catch (const SCIOException& e) {
    return e.message;
  }
  return u"(built)";
}

const std::u16string kLeTooLarge = u"LE cannot be greater than 256 if extended APDU is not used.";
const std::u16string kBadData = u"Command data has invalid length.";

}  // namespace

TEST(CommandAPDUTest, EncodesEveryCase) {
  EXPECT_EQ(CommandAPDU(0x00, 0x20, 0x00, 0x81).Encode(), Hex("00200081"));
  EXPECT_EQ(CommandAPDU(0x00, 0xA4, 0x04, 0x00, 0, false).Encode(), Hex("00A4040000"));
  EXPECT_EQ(CommandAPDU(0x00, 0xB0, 0x01, 0x80, 128, false).Encode(), Hex("00B0018080"));
  EXPECT_EQ(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 256, false).Encode(), Hex("00B0000000"));
  EXPECT_EQ(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 300, true).Encode(), Hex("00B00000 00012C"));
  EXPECT_EQ(CommandAPDU(0x00, 0xA4, 0x02, 0x0C, Hex("0D01"), false).Encode(), Hex("00A4020C 02 0D01"));
  EXPECT_EQ(CommandAPDU(0x00, 0xA4, 0x04, 0x00, Hex("3F00"), 0, false).Encode(), Hex("00A40400 02 3F00 00"));
  EXPECT_EQ(CommandAPDU(0x00, 0x2A, 0x9E, 0x9A, Hex("0102"), 0x0102, true).Encode(),
            Hex("002A9E9A 000002 0102 0102"));
}

TEST(CommandAPDUTest, ExtendedCase3CarriesItsLengthInThreeBytes) {
  const ByteArray data(256, 0xAB);
  const ByteArray encoded = CommandAPDU(0x00, 0xD6, 0x00, 0x00, data, true).Encode();
  ASSERT_EQ(encoded.size(), 4u + 3u + 256u);
  EXPECT_EQ(ByteArray(encoded.begin() + 4, encoded.begin() + 7), Hex("000100"));
  EXPECT_EQ(encoded.back(), 0xAB);
}

TEST(CommandAPDUTest, ValidatesLengthsWithTheExactMessages) {
  EXPECT_EQ(BuildError([] { CommandAPDU(0, 0xB0, 0, 0, 257, false); }), kLeTooLarge);
  EXPECT_EQ(BuildError([] { CommandAPDU(0, 0xB0, 0, 0, 65535, true); }), u"(built)");
  EXPECT_EQ(BuildError([] { CommandAPDU(0, 0xD6, 0, 0, ByteArray{}, false); }), kBadData);
  EXPECT_EQ(BuildError([] { CommandAPDU(0, 0xD6, 0, 0, ByteArray{}, true); }), kBadData);
  EXPECT_EQ(BuildError([] { CommandAPDU(0, 0xD6, 0, 0, ByteArray(256), false); }), kBadData);
  EXPECT_EQ(BuildError([] { CommandAPDU(0, 0xD6, 0, 0, ByteArray(255), false); }), u"(built)");
  EXPECT_EQ(BuildError([] { CommandAPDU(0, 0xD6, 0, 0, ByteArray(65536), true); }), kBadData);
  EXPECT_EQ(BuildError([] { CommandAPDU(0, 0x88, 0, 0, ByteArray{}, 16, false); }), kBadData);
  EXPECT_EQ(BuildError([] { CommandAPDU(0, 0x88, 0, 0, ByteArray(256), 16, false); }), kBadData);
  // A case 4 command's expected length is not limited.
  EXPECT_EQ(BuildError([] { CommandAPDU(0, 0x88, 0, 0, ByteArray(4), 1000, false); }), u"(built)");
}

TEST(CommandAPDUTest, CopyWithExpectedLengthPromotesTheCase) {
  const CommandAPDU case1(0x00, 0x20, 0x00, 0x81);
  EXPECT_EQ(CommandAPDU(case1, 8).apduCase(), ApduCase::Case2Short);
  EXPECT_EQ(CommandAPDU(case1, 8).Encode(), Hex("0020008108"));

  const CommandAPDU case3(0x00, 0xA4, 0x02, 0x0C, Hex("0D01"), false);
  const CommandAPDU case4 = CommandAPDU(case3, 0x10);
  EXPECT_EQ(case4.apduCase(), ApduCase::Case4Short);
  EXPECT_EQ(case4.Encode(), Hex("00A4020C 02 0D01 10"));

  const CommandAPDU case3Extended(0x00, 0xD6, 0x00, 0x00, Hex("01"), true);
  EXPECT_EQ(CommandAPDU(case3Extended, 0x10).apduCase(), ApduCase::Case4Extended);

  const CommandAPDU case2(0x00, 0xB0, 0x00, 0x00, 128, false);
  const CommandAPDU resent(case2, 8);
  EXPECT_EQ(resent.apduCase(), ApduCase::Case2Short);
  EXPECT_EQ(resent.Encode(), Hex("00B0000008"));
  EXPECT_EQ(case2.ne(), 128);  // the original is untouched
}

TEST(CommandAPDUTest, CaseOutsideTheEnumerationEncodesTheHeaderAlone) {
  const auto odd = CommandAPDU::FromParts(0x00, 0xB0, 0x00, 0x00, Hex("01"), 5, static_cast<ApduCase>(7), false);
  EXPECT_EQ(odd.Encode(), Hex("00B00000"));
}

TEST(ResponseAPDUTest, SplitsDataAndStatusWord) {
  const ResponseAPDU ok(Hex("9000"));
  EXPECT_EQ(ok.sw(), 0x9000);
  EXPECT_TRUE(ok.data().empty());
  EXPECT_NO_THROW(ok.CheckStatusWord());

  const ResponseAPDU notFound(Hex("01026A82"));
  EXPECT_EQ(notFound.data(), Hex("0102"));
  EXPECT_EQ(notFound.sw1(), 0x6A);
  EXPECT_EQ(notFound.sw2(), 0x82);
  EXPECT_EQ(notFound.sw(), 0x6A82);
  try {
    notFound.CheckStatusWord();
    FAIL() << "no AppletException";
  } catch (const JavaCard::AppletException& e) {
    EXPECT_EQ(e.statusWord, 0x6A82);
  }
}

TEST(ResponseAPDUTest, AnswerWithoutStatusWordIsRejected) {
  EXPECT_THROW(ResponseAPDU(ByteArray{}), SCIOException);
  EXPECT_THROW(ResponseAPDU(Hex("90")), SCIOException);
}
