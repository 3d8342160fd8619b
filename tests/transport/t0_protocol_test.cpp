#include <gtest/gtest.h>

#include "channel_fixture.h"
#include "support/exception.h"
#include "transport/transport_protocol.h"

using Fakes::Hex;
using SmartCardIO::ApduCase;
using SmartCardIO::CommandAPDU;
using SmartCardIO::ResponseAPDU;
using SmartCardIO::SCIOException;
using TAVQ::ByteArray;
using namespace TAVQ::PCSC;

class T0Test : public ChannelTest {
 protected:
  void SetUp() override { Open(kProtocolT0); }

  std::u16string ErrorOf(const CommandAPDU& command) {
    try {
      channel->Transmit(command);
    } catch (const SCIOException& e) {
      return e.message;
    }
    return u"(sent)";
  }
};

TEST_F(T0Test, Case1GetsP3Zero) {
  pcsc.ExpectApdu("00200081 00", "9000");
  EXPECT_EQ(channel->Transmit(CommandAPDU(0x00, 0x20, 0x00, 0x81)).sw(), 0x9000);
  EXPECT_TRUE(pcsc.ScriptDone());
  for (const auto& call : pcsc.Calls(Fakes::Call::Transmit)) {
    EXPECT_EQ(call.bufferSize, 512u);
    EXPECT_EQ(call.headerProtocol, kProtocolT0);
  }
}

TEST_F(T0Test, Case4SentWithoutLeThenGetResponseForNe) {
  pcsc.ExpectApdu("00A40400 02 3F00", "9000");
  pcsc.ExpectApdu("00C0000000", "0102 9000");
  const ResponseAPDU answer = channel->Transmit(CommandAPDU(0x00, 0xA4, 0x04, 0x00, Hex("3F00"), 0, false));
  EXPECT_EQ(answer.data(), Hex("0102"));
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(T0Test, Case4MoreDataAsksForTheSmallerNonZeroLength) {
  pcsc.ExpectApdu("00A40400 02 3F00", "611C");
  pcsc.ExpectApdu("00C000001C", "9000");  // ne 0 stands for 256: the card's 1C is smaller
  channel->Transmit(CommandAPDU(0x00, 0xA4, 0x04, 0x00, Hex("3F00"), 0, false));

  pcsc.ExpectApdu("00A40400 02 3F00", "611C");
  pcsc.ExpectApdu("00C0000010", "9000");  // the command's own ne is smaller
  channel->Transmit(CommandAPDU(0x00, 0xA4, 0x04, 0x00, Hex("3F00"), 0x10, false));

  pcsc.ExpectApdu("00A40400 02 3F00", "6100");
  pcsc.ExpectApdu("00C0000080", "9000");  // 6100 stands for 256 bytes
  channel->Transmit(CommandAPDU(0x00, 0xA4, 0x04, 0x00, Hex("3F00"), 0x80, false));
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(T0Test, Case4OtherStatusIsReturnedWithoutGetResponse) {
  pcsc.ExpectApdu("00A40400 02 3F00", "6A82");
  EXPECT_EQ(channel->Transmit(CommandAPDU(0x00, 0xA4, 0x04, 0x00, Hex("3F00"), 0, false)).sw(), 0x6A82);
  EXPECT_EQ(pcsc.Count(Fakes::Call::Transmit), 1u);
}

TEST_F(T0Test, GetResponseUsesClassZeroWhateverTheCommandsClass) {
  pcsc.ExpectApdu("80CA0000 01 01", "9000");
  pcsc.ExpectApdu("00C0000008", "9000");
  channel->Transmit(CommandAPDU(0x80, 0xCA, 0x00, 0x00, Hex("01"), 8, false));
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(T0Test, Case2WrongLengthResendsAndCutsSurplusData) {
  pcsc.ExpectApdu("00B0000000", "6C04");
  pcsc.ExpectApdu("00B0000004", "0102030405 9000");  // one byte more than asked
  const ResponseAPDU answer = channel->Transmit(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 256, false));
  EXPECT_EQ(answer.data(), Hex("01020304"));
  EXPECT_EQ(answer.sw(), 0x9000);
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(T0Test, Case3IsSentAsEncodedAndShortExtendedDataTravelsShort) {
  pcsc.ExpectApdu("00A4020C 02 0D01", "9000");
  pcsc.ExpectApdu("00D60000 03 010203", "9000");
  channel->Transmit(CommandAPDU(0x00, 0xA4, 0x02, 0x0C, Hex("0D01"), false));
  channel->Transmit(CommandAPDU(0x00, 0xD6, 0x00, 0x00, Hex("010203"), true));
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(T0Test, UnsupportedFormsAreRefusedBeforeAnyTransfer) {
  EXPECT_EQ(ErrorOf(CommandAPDU(0x00, 0x2A, 0x9E, 0x9A, Hex("01"), 0x100, true)), u"Not implemented");
  EXPECT_EQ(ErrorOf(CommandAPDU(0x00, 0xD6, 0x00, 0x00, ByteArray(256, 1), true)), u"Not implemented");
  const auto unknown = CommandAPDU::FromParts(0x00, 0xB0, 0, 0, {}, 0, static_cast<ApduCase>(9), false);
  EXPECT_EQ(ErrorOf(unknown), u"Unknown APDU case.");
  EXPECT_EQ(pcsc.Count(Fakes::Call::Transmit), 0u);
}

TEST_F(T0Test, ExtendedCase2UpTo256TravelsAsShortCase2) {
  pcsc.ExpectApdu("00B0000000", "AA 9000");
  EXPECT_EQ(channel->Transmit(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 256, true)).data(), Hex("AA"));
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(T0Test, ExtendedCase2CollectsUntilNeBytes) {
  // 1000 bytes: Le 00, then GET RESPONSE rounds while the card answers 61xx.
  const ByteArray chunk(256, 0x11);
  const ByteArray tail(232, 0x22);
  pcsc.ExpectApdu(Hex("00B0000000"), Hex("6100"));  // no data yet, 256 more waiting
  pcsc.ExpectApdu(Hex("00C0000000"), [&] { ByteArray a = chunk; a.push_back(0x61); a.push_back(0x00); return a; }());
  pcsc.ExpectApdu(Hex("00C0000000"), [&] { ByteArray a = chunk; a.push_back(0x61); a.push_back(0x00); return a; }());
  pcsc.ExpectApdu(Hex("00C0000000"), [&] { ByteArray a = chunk; a.push_back(0x61); a.push_back(0x00); return a; }());
  // 232 remain: the round asks for no more than that.
  pcsc.ExpectApdu(Hex("00C00000E8"), [&] { ByteArray a = tail; a.push_back(0x61); a.push_back(0x10); return a; }());
  // The protocol alone: the channel would follow the final 61 10 with its own GET RESPONSE.
  const ResponseAPDU answer = SmartCardIO::TransportProtocol::GetInstance(kProtocolT0)
                                  .Transmit(*channel, CommandAPDU(0x00, 0xB0, 0x00, 0x00, 1000, true));
  EXPECT_EQ(answer.data().size(), 1000u);
  EXPECT_EQ(answer.data().back(), 0x22);
  EXPECT_EQ(answer.sw(), 0x6110);
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(T0Test, ExtendedCase2StopsAt9000AndNeverKeepsMoreThanNe) {
  pcsc.ExpectApdu("00B0000000", "010203 6110");
  pcsc.ExpectApdu("00C0000010", "0405 9000");
  const ResponseAPDU answer = channel->Transmit(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 300, true));
  EXPECT_EQ(answer.data(), Hex("0102030405"));
  EXPECT_EQ(answer.sw(), 0x9000);

  // A card sending more than asked does not grow the answer past ne.
  ByteArray big(300, 0x33);
  big.push_back(0x61);
  big.push_back(0x00);
  pcsc.ExpectApdu(Hex("00B0000000"), big);
  const auto& t0 = SmartCardIO::TransportProtocol::GetInstance(kProtocolT0);
  EXPECT_EQ(t0.Transmit(*channel, CommandAPDU(0x00, 0xB0, 0x00, 0x00, 290, true)).data().size(), 290u);
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(T0Test, ExtendedCase2DropsCollectedDataOnAnotherStatus) {
  pcsc.ExpectApdu("00B0000000", "0102 6102");
  pcsc.ExpectApdu("00C0000002", "6F00");
  const ResponseAPDU answer = channel->Transmit(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 300, true));
  EXPECT_TRUE(answer.data().empty());
  EXPECT_EQ(answer.sw(), 0x6F00);
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(T0Test, ExtendedCase2FirstAnswerWithoutMoreDataIsReturned) {
  pcsc.ExpectApdu("00B0000000", "6C20");
  pcsc.ExpectApdu("00B0000020", "0102 9000");
  EXPECT_EQ(channel->Transmit(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 300, true)).data(), Hex("0102"));
  pcsc.ExpectApdu("00B0000000", "6982");
  EXPECT_EQ(channel->Transmit(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 300, true)).sw(), 0x6982);
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(T0Test, CardAnnouncingDataItNeverSendsDoesNotHang) {
  pcsc.ExpectApdu("00B0000000", "6110");
  pcsc.ExpectApdu("00C0000010", "6110");
  EXPECT_THROW(channel->Transmit(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 300, true)), SCIOException);
  EXPECT_TRUE(pcsc.ScriptDone());
}
