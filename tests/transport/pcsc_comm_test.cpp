#include "transport/pcsc_comm.h"

#include <gtest/gtest.h>

#include "fakes/fake_pcsc.h"
#include "support/exception.h"
#include "transport/pcsc_context.h"

using Fakes::Call;
using Fakes::CodeOf;
using Fakes::Hex;
using TAVQ::ByteArray;
using TAVQ::StringList;
using namespace TAVQ::PCSC;

namespace {

class PCSCCommTest : public ::testing::Test {
 protected:
  PCSCCommTest() { context.Establish(kScopeUser); }

  void Connect(PCSCComm& comm, const char16_t* reader = u"Reader 0") {
    comm.Connect(context.handle(), reader, kShareShared, kProtocolT0OrT1);
  }

  Fakes::FakePCSC pcsc;
  PCSCContext context;
};

}  // namespace

TEST_F(PCSCCommTest, HandlesItDoesNotOwnReachNoPCSCCall) {
  PCSCComm owner;
  Connect(owner);
  PCSCComm never;
  pcsc.ClearLog();
  StringList names;
  std::uint32_t state = 0, protocol = 0;
  ByteArray atr;
  {
    PCSCComm borrowed = PCSCComm::Attach(owner.cardHandle(), kProtocolT1);
    EXPECT_TRUE(borrowed.attached());
    EXPECT_TRUE(borrowed.connected());
    EXPECT_EQ(CodeOf([&] { borrowed.Disconnect(kLeaveCard); }), kInternalError);
    EXPECT_EQ(CodeOf([&] { Connect(borrowed); }), kInternalError);
  }  // not disconnected by its destructor either
  EXPECT_EQ(CodeOf([&] { Connect(owner); }), kInternalError);  // a second connect
  for (const auto& operation : std::vector<std::function<void()>>{
           [&] { never.Transmit(Hex("00A40400"), false); }, [&] { never.Status(names, state, protocol, atr); },
           [&] { never.BeginTransaction(); }, [&] { never.EndTransaction(kLeaveCard); },
           [&] { never.Control(0x42000001, {}); }, [&] { never.Disconnect(kLeaveCard); },
           [&] { never.Reconnect(kShareShared, kProtocolT0OrT1, kResetCard); }}) {
    EXPECT_EQ(CodeOf(operation), kInternalError);
  }
  EXPECT_TRUE(owner.connected());
  EXPECT_TRUE(pcsc.log().empty());
  EXPECT_EQ(pcsc.OpenCards(), 1u);
}

TEST_F(PCSCCommTest, ConnectAndDisconnectPassTheirArgumentsAndFailuresChangeNothing) {
  pcsc.SetProtocol(kProtocolT0);
  PCSCComm named, unnamed;
  pcsc.FailNext(Call::Connect, kNoSmartcard);
  EXPECT_EQ(CodeOf([&] { Connect(named); }), kNoSmartcard);
  EXPECT_FALSE(named.connected());
  Connect(named);
  unnamed.Connect(context.handle(), u"", kShareExclusive, kProtocolT1);
  const auto connects = pcsc.Calls(Call::Connect);
  EXPECT_EQ(connects[1].reader, std::u16string(u"Reader 0"));
  EXPECT_EQ(connects[1].context, context.handle());
  EXPECT_EQ(connects[1].shareMode, kShareShared);
  EXPECT_EQ(connects[1].preferredProtocols, kProtocolT0OrT1);
  EXPECT_FALSE(connects[2].reader.has_value());  // an empty name goes as a null pointer
  EXPECT_EQ(connects[2].shareMode, kShareExclusive);
  EXPECT_EQ(named.activeProtocol(), kProtocolT0);
  EXPECT_EQ(named.cardHandle(), connects[1].card);

  named.Disconnect(kUnpowerCard);
  EXPECT_FALSE(named.connected());
  EXPECT_EQ(named.activeProtocol(), 0u);
  EXPECT_EQ(pcsc.Calls(Call::Disconnect).back().disposition, kUnpowerCard);
}

TEST_F(PCSCCommTest, DestructorLeavesTheCardAndSwallowsAFailure) {
  { PCSCComm comm; Connect(comm); }
  EXPECT_EQ(pcsc.Calls(Call::Disconnect).at(0).disposition, kLeaveCard);
  EXPECT_EQ(pcsc.OpenCards(), 0u);
  pcsc.FailAlways(Call::Disconnect, kInvalidHandle);
  EXPECT_NO_THROW({ PCSCComm comm; Connect(comm); });
  EXPECT_EQ(pcsc.Count(Call::Disconnect), 2u);
  pcsc.FailAlways(Call::Disconnect, 0);
}

TEST_F(PCSCCommTest, TransmitBuffersAndHeaders) {
  pcsc.SetProtocol(kProtocolT0);
  PCSCComm comm;
  Connect(comm);
  pcsc.ExpectApdu("", "9000");
  pcsc.ExpectApdu("00B0000000", "AB9000");
  EXPECT_EQ(comm.Transmit({}, false), Hex("9000"));
  EXPECT_EQ(comm.Transmit(Hex("00B0000000"), true), Hex("AB9000"));
  const auto transmits = pcsc.Calls(Call::Transmit);
  EXPECT_TRUE(transmits[0].dataNull);
  EXPECT_EQ(transmits[0].bufferSize, 512u);
  EXPECT_EQ(transmits[0].headerProtocol, kProtocolT0);
  EXPECT_FALSE(transmits[0].sendHeaderNull);
  EXPECT_TRUE(transmits[0].receiveHeaderNull);
  EXPECT_FALSE(transmits[1].dataNull);
  EXPECT_EQ(transmits[1].bufferSize, 8192u);
  // An answer larger than the short buffer is a PC/SC error.
  pcsc.ExpectApdu(Hex("00B00000000200"), ByteArray(600, 0x90));
  EXPECT_EQ(CodeOf([&] { comm.Transmit(Hex("00B00000000200"), false); }), kInsufficientBuffer);
  pcsc.ExpectApdu(Hex("00B00000000200"), ByteArray(600, 0x90));
  EXPECT_EQ(comm.Transmit(Hex("00B00000000200"), true).size(), 600u);
  // An unknown protocol has no header.
  pcsc.SetProtocol(0x8);
  PCSCComm unknown;
  Connect(unknown);
  pcsc.ClearLog();
  EXPECT_EQ(CodeOf([&] { unknown.Transmit(Hex("00"), false); }), kProtoMismatch);
  EXPECT_TRUE(pcsc.log().empty());
}

TEST_F(PCSCCommTest, StatusAndControl) {
  pcsc.SetStatus(0x34, kProtocolT1, Hex("3B8880010000000000000000"));
  PCSCComm comm;
  Connect(comm);
  StringList names{u"stale"};
  std::uint32_t state = 0, protocol = 0;
  ByteArray atr;
  comm.Status(names, state, protocol, atr);
  EXPECT_EQ(names, StringList{u"Reader 0"});
  EXPECT_EQ(state, 0x34u);
  EXPECT_EQ(protocol, kProtocolT1);
  EXPECT_EQ(atr, Hex("3B8880010000000000000000"));
  EXPECT_EQ(pcsc.Calls(Call::Status)[0].bufferSize, 1024u);

  pcsc.SetControlAnswer(Hex("0102"));
  EXPECT_EQ(comm.Control(0x42000D48, {}), Hex("0102"));
  EXPECT_EQ(comm.Control(0x42000D48, Hex("FF")), Hex("0102"));
  const auto controls = pcsc.Calls(Call::Control);
  EXPECT_TRUE(controls[0].dataNull);
  EXPECT_EQ(controls[0].controlCode, 0x42000D48u);
  EXPECT_EQ(controls[0].bufferSize, 1024u);
  EXPECT_EQ(controls[1].data, Hex("FF"));
  pcsc.FailNext(Call::Control, kInvalidParameter);
  EXPECT_EQ(CodeOf([&] { comm.Control(1, {}); }), kInvalidParameter);
}
