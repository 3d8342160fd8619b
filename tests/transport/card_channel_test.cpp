#include <gtest/gtest.h>

#include "channel_fixture.h"
#include "support/exception.h"
#include "transport/transport_protocol.h"

using Fakes::Hex;
using SmartCardIO::CommandAPDU;
using SmartCardIO::ResponseAPDU;
using SmartCardIO::TransportProtocol;
using TAVQ::ByteArray;
using namespace TAVQ::PCSC;

using T1ChannelTest = ChannelTest;

TEST_F(T1ChannelTest, SendsEveryCaseUnchanged) {
  Open(kProtocolT1);
  pcsc.ExpectApdu("00A4040C 02 3F00 00", "6F0A 9000");
  pcsc.ExpectApdu("00B00000 00012C", "9000");
  const ResponseAPDU answer = channel->Transmit(CommandAPDU(0x00, 0xA4, 0x04, 0x0C, Hex("3F00"), 0, false));
  EXPECT_EQ(answer.data(), Hex("6F0A"));
  channel->Transmit(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 300, true));
  EXPECT_TRUE(pcsc.ScriptDone());
  // Extended commands get the large receive buffer.
  const auto transmits = pcsc.Calls(Fakes::Call::Transmit);
  EXPECT_EQ(transmits[0].bufferSize, 512u);
  EXPECT_EQ(transmits[1].bufferSize, 8192u);
  EXPECT_EQ(transmits[0].headerProtocol, kProtocolT1);
}

TEST_F(T1ChannelTest, MoreDataGivesExactlyOneGetResponse) {
  Open(kProtocolT1);
  pcsc.ExpectApdu("00880000 04 01020304 00", "6110");
  pcsc.ExpectApdu("00C0000010", "AABB 6105");  // returned as is: no second round
  const ResponseAPDU answer = channel->Transmit(CommandAPDU(0x00, 0x88, 0x00, 0x00, Hex("01020304"), 0, false));
  EXPECT_EQ(answer.data(), Hex("AABB"));
  EXPECT_EQ(answer.sw(), 0x6105);
  EXPECT_TRUE(pcsc.ScriptDone());
  EXPECT_EQ(pcsc.Count(Fakes::Call::Transmit), 2u);
}

TEST_F(T1ChannelTest, GetResponseKeepsTheExtendedFlagOfTheCommand) {
  Open(kProtocolT1);
  pcsc.ExpectApdu("00B00000 000200", "6120");
  pcsc.ExpectApdu("00C00000 000020", "9000");
  channel->Transmit(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 512, true));
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(T1ChannelTest, WrongLengthGivesOneResendWithTheCardsLength) {
  Open(kProtocolT1);
  pcsc.ExpectApdu("00CA9F7F00", "6C08");
  pcsc.ExpectApdu("00CA9F7F08", "0102030405060708 6C04");
  const ResponseAPDU answer = channel->Transmit(CommandAPDU(0x00, 0xCA, 0x9F, 0x7F, 256, false));
  EXPECT_EQ(answer.data(), Hex("0102030405060708"));
  EXPECT_EQ(answer.sw(), 0x6C04);
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(T1ChannelTest, OtherStatusWordsPassThrough) {
  Open(kProtocolT1);
  pcsc.ExpectApdu("00A4020C 02 0D09", "6A82");
  EXPECT_EQ(channel->Transmit(CommandAPDU(0x00, 0xA4, 0x02, 0x0C, Hex("0D09"), false)).sw(), 0x6A82);
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(T1ChannelTest, ShortAnswerFromTheCardIsAnErrorNotARead) {
  Open(kProtocolT1);
  pcsc.ExpectApdu("00B0000010", "90");
  EXPECT_THROW(channel->Transmit(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 16, false)), SmartCardIO::SCIOException);
}

TEST_F(ChannelTest, RawOrUnknownProtocolCannotCarryApdus) {
  for (const std::uint32_t protocol : {kProtocolRaw, 0u, 3u}) {
    Open(protocol);
    try {
      channel->Transmit(CommandAPDU(0x00, 0x20, 0x00, 0x81));
      FAIL() << "transmitted over protocol " << protocol;
    } catch (const PCSCWin32Exception& e) {
      EXPECT_EQ(e.errorCode, kProtoMismatch);
    }
    EXPECT_EQ(pcsc.Count(Fakes::Call::Transmit), 0u);
  }
  // Raw bytes still travel over RAW.
  Open(kProtocolRaw);
  pcsc.ExpectApdu("FF00", "9000");
  EXPECT_EQ(channel->TransmitRaw(Hex("FF00"), false), Hex("9000"));
  EXPECT_EQ(pcsc.Calls(Fakes::Call::Transmit)[0].headerProtocol, kProtocolRaw);
}

TEST_F(ChannelTest, ProtocolIsChosenForEveryCommand) {
  Open(kProtocolT1);
  pcsc.ExpectApdu("00200081", "9000");
  channel->Transmit(CommandAPDU(0x00, 0x20, 0x00, 0x81));
  // A reset card comes back on T=0: the next command follows T=0 rules.
  pcsc.SetProtocol(kProtocolT0);
  pcsc.FailNext(Fakes::Call::BeginTransaction, kResetCardWarning);
  channel->BeginTransaction();
  pcsc.ExpectApdu("0020008100", "9000");
  channel->Transmit(CommandAPDU(0x00, 0x20, 0x00, 0x81));
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST(TransportProtocolTest, InstancesAreProcessWide) {
  EXPECT_EQ(&TransportProtocol::GetInstance(kProtocolT0), &TransportProtocol::GetInstance(kProtocolT0));
  EXPECT_EQ(&TransportProtocol::GetInstance(kProtocolT1), &TransportProtocol::GetInstance(kProtocolT1));
  EXPECT_NE(&TransportProtocol::GetInstance(kProtocolT0), &TransportProtocol::GetInstance(kProtocolT1));
}
