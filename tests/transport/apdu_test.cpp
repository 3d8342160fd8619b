#include <gtest/gtest.h>

#include "fakes/raised.h"
#include "fakes/recording_pcsc.h"
#include "transport/command_apdu.h"
#include "transport/response_apdu.h"

using Fakes::Hex;
using Fakes::MessageOf;
using SmartCardIO::ApduCase;
using SmartCardIO::CommandAPDU;
using SmartCardIO::ResponseAPDU;
using TAVQ::ByteArray;

TEST(CommandAPDUTest, EncodesEveryCase) {
  const std::pair<CommandAPDU, std::string> cases[] = {
      {CommandAPDU(0x00, 0x20, 0x00, 0x81), "00200081"},
      {CommandAPDU(0x00, 0xA4, 0x04, 0x00, 0, false), "00A4040000"},
      {CommandAPDU(0x00, 0xB0, 0x01, 0x80, 128, false), "00B0018080"},
      {CommandAPDU(0x00, 0xB0, 0x00, 0x00, 256, false), "00B0000000"},
      {CommandAPDU(0x00, 0xB0, 0x00, 0x00, 300, true), "00B00000 00012C"},
      {CommandAPDU(0x00, 0xA4, 0x02, 0x0C, Hex("0D01"), false), "00A4020C 02 0D01"},
      {CommandAPDU(0x00, 0xD6, 0x00, 0x00, ByteArray(256, 0xAA), true), "00D60000 000100" + std::string(512, 'A')},
      {CommandAPDU(0x00, 0xA4, 0x04, 0x00, Hex("3F00"), 0, false), "00A40400 02 3F00 00"},
      {CommandAPDU(0x00, 0x2A, 0x9E, 0x9A, Hex("0102"), 0x0102, true), "002A9E9A 000002 0102 0102"},
      // Copies with an expected length promote case 1 to 2 and 3 to 4, or replace it.
      {CommandAPDU(CommandAPDU(0x00, 0x20, 0x00, 0x81), 8), "0020008108"},
      {CommandAPDU(CommandAPDU(0x00, 0xA4, 0x02, 0x0C, Hex("0D01"), false), 0x10), "00A4020C 02 0D01 10"},
      {CommandAPDU(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 128, false), 8), "00B0000008"},
      {CommandAPDU(CommandAPDU(0x00, 0xD6, 0, 0, Hex("01"), true), 0x10), "00D60000 000001 01 0010"},
      // A case outside the enumeration encodes the header alone.
      {CommandAPDU::FromParts(0x00, 0xB0, 0x00, 0x00, Hex("01"), 5, static_cast<ApduCase>(7), false), "00B00000"},
  };
  for (const auto& [command, hex] : cases) EXPECT_EQ(command.Encode(), Hex(hex)) << hex;
}

TEST(CommandAPDUTest, ValidatesLengthsWithTheExactMessages) {
  const std::string leTooLarge = "LE cannot be greater than 256 if extended APDU is not used.";
  const std::string badData = "Command data has invalid length.";
  const std::pair<std::function<void()>, std::string> checks[] = {
      {[] { CommandAPDU(0, 0xB0, 0, 0, 257, false); }, leTooLarge},
      {[] { CommandAPDU(0, 0xD6, 0, 0, ByteArray{}, true); }, badData},
      {[] { CommandAPDU(0, 0xD6, 0, 0, ByteArray(256), false); }, badData},
      {[] { CommandAPDU(0, 0xD6, 0, 0, ByteArray(65536), true); }, badData},
      {[] { CommandAPDU(0, 0x88, 0, 0, ByteArray{}, 16, false); }, badData},
      {[] { CommandAPDU(0, 0xD6, 0, 0, ByteArray(255), false); }, ""},
      {[] { CommandAPDU(0, 0xD6, 0, 0, ByteArray(65535), true); }, ""},
      {[] { CommandAPDU(0, 0x88, 0, 0, ByteArray(4), 1000, false); }, ""},  // a case 4 Le is not limited
  };
  for (const auto& [build, message] : checks) {
    if (message.empty()) EXPECT_NO_THROW(build());
    else EXPECT_EQ(MessageOf(build), message);
  }
}

TEST(ResponseAPDUTest, SplitsDataAndStatusWordAndNeedsTwoBytes) {
  const ResponseAPDU notFound(Hex("01026A82"));
  EXPECT_EQ(notFound.data(), Hex("0102"));
  EXPECT_EQ(Fakes::Raised<JavaCard::AppletException>([&] { notFound.CheckStatusWord(); }).statusWord, 0x6A82);
  EXPECT_NO_THROW(ResponseAPDU(Hex("9000")).CheckStatusWord());
  EXPECT_EQ(MessageOf([] { ResponseAPDU{Hex("90")}; }), "The card's answer is shorter than a status word.");
}
