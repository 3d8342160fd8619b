// T=0 and T=1 as the channel carries them, down to the scripted PC/SC.
#include <gtest/gtest.h>

#include <memory>

#include "fakes/fake_pcsc.h"
#include "fakes/raised.h"
#include "transport/card_channel.h"
#include "transport/pcsc_card_connection.h"
#include "transport/transport_protocol.h"

using Fakes::Hex;
using SmartCardIO::ApduCase;
using SmartCardIO::CommandAPDU;
using SmartCardIO::ResponseAPDU;
using TAVQ::ByteArray;
using namespace TAVQ::PCSC;

namespace {

class ChannelTest : public ::testing::Test {
 protected:
  void Open(std::uint32_t protocol) {
    pcsc.SetProtocol(protocol);
    channel = std::make_unique<SmartCardIO::PCSCCardChannel>(u"R", std::make_unique<PCSCCardConnection>(u"R"));
    channel->Connect();
    pcsc.ClearLog();
  }

  Fakes::FakePCSC pcsc;
  std::unique_ptr<SmartCardIO::PCSCCardChannel> channel;
};

struct Dialogue {
  const char* what;
  std::uint32_t protocol;
  CommandAPDU command;
  std::vector<std::pair<std::string, std::string>> exchanges;  // command sent -> card's answer
  std::string answer;                                          // what the channel returns
  bool protocolAlone = false;  // without the channel's own GET RESPONSE after 61xx
};

const ByteArray k3F00 = Hex("3F00");

// n bytes of the value 0xDD in hex (digit D), then the status word.
std::string Filled(char digit, std::size_t n, const char* sw) { return std::string(2 * n, digit) + sw; }

TEST_F(ChannelTest, DialoguesOfEachCaseAndProtocol) {
  const Dialogue dialogues[] = {
      {"T0 case 1 gets P3 zero", kProtocolT0, CommandAPDU(0, 0x20, 0, 0x81), {{"0020008100", "9000"}}, "9000"},
      {"T0 case 4 without Le, then GET RESPONSE", kProtocolT0, CommandAPDU(0, 0xA4, 4, 0, k3F00, 0, false),
       {{"00A40400023F00", "9000"}, {"00C0000000", "01029000"}}, "01029000"},
      {"T0 61xx below 256 is taken", kProtocolT0, CommandAPDU(0, 0xA4, 4, 0, k3F00, 0, false),
       {{"00A40400023F00", "611C"}, {"00C000001C", "9000"}}, "9000"},
      {"T0 the command's smaller ne, GET RESPONSE in class 00", kProtocolT0,
       CommandAPDU(0x80, 0xA4, 4, 0, k3F00, 0x10, false), {{"80A40400023F00", "611C"}, {"00C0000010", "9000"}}, "9000"},
      {"T0 6100 stands for 256", kProtocolT0, CommandAPDU(0, 0xA4, 4, 0, k3F00, 0x80, false),
       {{"00A40400023F00", "6100"}, {"00C0000080", "9000"}}, "9000"},
      {"T0 other status, no GET RESPONSE", kProtocolT0, CommandAPDU(0, 0xA4, 4, 0, k3F00, 0, false),
       {{"00A40400023F00", "6A82"}}, "6A82"},
      {"T0 6Cxx resends and cuts surplus", kProtocolT0, CommandAPDU(0, 0xB0, 0, 0, 256, false),
       {{"00B0000000", "6C04"}, {"00B0000004", "01020304059000"}}, "010203049000"},
      {"T0 short extended data travels short", kProtocolT0, CommandAPDU(0, 0xD6, 0, 0, Hex("010203"), true),
       {{"00D6000003010203", "9000"}}, "9000"},
      {"T0 extended case 2 up to 256 travels short", kProtocolT0, CommandAPDU(0, 0xB0, 0, 0, 256, true),
       {{"00B0000000", "AA9000"}}, "AA9000"},
      {"T0 extended case 2 collects to 9000", kProtocolT0, CommandAPDU(0, 0xB0, 0, 0, 300, true),
       {{"00B0000000", "0102036110"}, {"00C0000010", "04059000"}}, "01020304059000"},
      {"T0 extended case 2 drops data on another status", kProtocolT0, CommandAPDU(0, 0xB0, 0, 0, 300, true),
       {{"00B0000000", "01026102"}, {"00C0000002", "6F00"}}, "6F00"},
      {"T0 extended case 2 after 6Cxx", kProtocolT0, CommandAPDU(0, 0xB0, 0, 0, 300, true),
       {{"00B0000000", "6C20"}, {"00B0000020", "01029000"}}, "01029000"},
      {"T0 extended case 2 collects no more than ne", kProtocolT0, CommandAPDU(0, 0xB0, 0, 0, 300, true),
       {{"00B0000000", Filled('1', 256, "6100")}, {"00C000002C", Filled('2', 44, "6110")}},
       Filled('1', 256, "") + Filled('2', 44, "6110"), true},
      {"T0 extended case 2 cuts a surplus", kProtocolT0, CommandAPDU(0, 0xB0, 0, 0, 290, true),
       {{"00B0000000", Filled('3', 300, "6100")}}, Filled('3', 290, "6100"), true},
      {"T0 extended case 2 error", kProtocolT0, CommandAPDU(0, 0xB0, 0, 0, 300, true), {{"00B0000000", "6982"}},
       "6982"},
      {"T1 case 4 unchanged", kProtocolT1, CommandAPDU(0, 0xA4, 4, 0x0C, k3F00, 0, false),
       {{"00A4040C023F0000", "6F0A9000"}}, "6F0A9000"},
      {"T1 exactly one GET RESPONSE", kProtocolT1, CommandAPDU(0, 0x88, 0, 0, Hex("01020304"), 0, false),
       {{"008800000401020304 00", "6110"}, {"00C0000010", "AABB6105"}}, "AABB6105"},
      {"T1 GET RESPONSE keeps extended", kProtocolT1, CommandAPDU(0, 0xB0, 0, 0, 512, true),
       {{"00B00000000200", "6120"}, {"00C00000000020", "9000"}}, "9000"},
      {"T1 one resend with the card's length", kProtocolT1, CommandAPDU(0, 0xCA, 0x9F, 0x7F, 256, false),
       {{"00CA9F7F00", "6C08"}, {"00CA9F7F08", "01020304050607086C04"}}, "01020304050607086C04"},
  };
  for (const Dialogue& d : dialogues) {
    SCOPED_TRACE(d.what);
    Open(d.protocol);
    for (const auto& [command, answer] : d.exchanges) pcsc.ExpectApdu(command, answer);
    const ResponseAPDU answer =
        d.protocolAlone ? SmartCardIO::TransportProtocol::GetInstance(d.protocol).Transmit(*channel, d.command)
                        : channel->Transmit(d.command);
    ByteArray got = answer.data();
    got.insert(got.end(), {answer.sw1(), answer.sw2()});
    EXPECT_EQ(got, Hex(d.answer));
    EXPECT_TRUE(pcsc.ScriptDone());
    for (const auto& call : pcsc.Calls(Fakes::Call::Transmit)) EXPECT_EQ(call.headerProtocol, d.protocol);
  }
}

TEST_F(ChannelTest, RefusedCommandsAndCards) {
  Open(kProtocolT0);
  // A card announcing data it never sends does not hang the read.
  pcsc.ExpectApdu("00B0000000", "6110");
  pcsc.ExpectApdu("00C0000010", "6110");
  EXPECT_EQ(Fakes::MessageOf([&] { channel->Transmit(CommandAPDU(0x00, 0xB0, 0, 0, 300, true)); }),
            "The card announced more data but sent none.");
  const std::pair<CommandAPDU, std::string> refused[] = {
      {CommandAPDU(0x00, 0x2A, 0x9E, 0x9A, Hex("01"), 0x100, true), "Not implemented"},
      {CommandAPDU(0x00, 0xD6, 0x00, 0x00, ByteArray(256, 1), true), "Not implemented"},
      {CommandAPDU::FromParts(0x00, 0xB0, 0, 0, {}, 0, static_cast<ApduCase>(9), false), "Unknown APDU case."},
  };
  for (const auto& [command, message] : refused) {
    EXPECT_EQ(Fakes::MessageOf([&] { channel->Transmit(command); }), message);
  }
  for (const std::uint32_t protocol : {kProtocolRaw, 0u, 3u}) {
    Open(protocol);
    EXPECT_EQ(Fakes::CodeOf([&] { channel->Transmit(CommandAPDU(0x00, 0x20, 0x00, 0x81)); }), kProtoMismatch);
  }
  EXPECT_TRUE(pcsc.ScriptDone());
}

TEST_F(ChannelTest, ProtocolIsChosenForEveryCommandAndRawBytesTravelOverRaw) {
  Open(kProtocolT1);
  pcsc.ExpectApdu("00200081", "9000");
  channel->Transmit(CommandAPDU(0x00, 0x20, 0x00, 0x81));
  // A reset card comes back on T=0: the next command follows T=0 rules.
  pcsc.SetProtocol(kProtocolT0);
  pcsc.FailNext(Fakes::Call::BeginTransaction, kResetCardWarning);
  channel->BeginTransaction();
  pcsc.ExpectApdu("0020008100", "9000");
  channel->Transmit(CommandAPDU(0x00, 0x20, 0x00, 0x81));
  Open(kProtocolRaw);
  pcsc.ExpectApdu("FF00", "90");
  EXPECT_EQ(channel->TransmitRaw(Hex("FF00"), false), Hex("90"));
  EXPECT_EQ(pcsc.Calls(Fakes::Call::Transmit)[0].headerProtocol, kProtocolRaw);
  EXPECT_TRUE(pcsc.ScriptDone());
}

}  // namespace
