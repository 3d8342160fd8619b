#include <gtest/gtest.h>

#include "fakes/fake_pcsc.h"
#include "support/exception.h"
#include "transport/pcsc_comm.h"
#include "transport/pcsc_context.h"

using Fakes::Call;
using Fakes::CodeOf;
using Fakes::Hex;
using TAVQ::ByteArray;
using TAVQ::StringList;
using namespace TAVQ::PCSC;

namespace {

// The operation's failure code, or 0 when it succeeded.
class PCSCCommTest : public ::testing::Test {
 protected:
  PCSCCommTest() { context.Establish(kScopeUser); }

  Fakes::FakePCSC pcsc;
  PCSCContext context;
};

}  // namespace

TEST_F(PCSCCommTest, NeverConnectedHandleReachesNoPCSCCall) {
  PCSCComm comm;
  pcsc.ClearLog();
  StringList names;
  std::uint32_t state = 0;
  std::uint32_t protocol = 0;
  ByteArray atr;
  EXPECT_EQ(CodeOf([&] { comm.Transmit(Hex("00A40400"), false); }), kInternalError);
  EXPECT_EQ(CodeOf([&] { comm.Status(names, state, protocol, atr); }), kInternalError);
  EXPECT_EQ(CodeOf([&] { comm.BeginTransaction(); }), kInternalError);
  EXPECT_EQ(CodeOf([&] { comm.EndTransaction(kLeaveCard); }), kInternalError);
  EXPECT_EQ(CodeOf([&] { comm.Control(0x42000001, {}); }), kInternalError);
  EXPECT_EQ(CodeOf([&] { comm.Reconnect(kShareShared, kProtocolT0OrT1, kResetCard); }), kInternalError);
  EXPECT_EQ(CodeOf([&] { comm.Disconnect(kLeaveCard); }), kInternalError);
  EXPECT_TRUE(pcsc.log().empty());
}

TEST_F(PCSCCommTest, ConnectPassesItsArgumentsAndNullForAnEmptyName) {
  pcsc.SetProtocol(kProtocolT0);
  PCSCComm named;
  named.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1);
  PCSCComm unnamed;
  unnamed.Connect(context.handle(), u"", kShareExclusive, kProtocolT1);
  const auto connects = pcsc.Calls(Call::Connect);
  ASSERT_EQ(connects.size(), 2u);
  EXPECT_EQ(connects[0].reader, std::u16string(u"Reader 0"));
  EXPECT_EQ(connects[0].context, context.handle());
  EXPECT_EQ(connects[0].shareMode, kShareShared);
  EXPECT_EQ(connects[0].preferredProtocols, kProtocolT0OrT1);
  EXPECT_FALSE(connects[1].reader.has_value());
  EXPECT_EQ(connects[1].shareMode, kShareExclusive);
  EXPECT_TRUE(named.connected());
  EXPECT_EQ(named.activeProtocol(), kProtocolT0);
  EXPECT_EQ(named.cardHandle(), connects[0].card);
}

TEST_F(PCSCCommTest, SecondConnectFailsAndKeepsTheHandle) {
  PCSCComm comm;
  comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1);
  const CardHandle first = comm.cardHandle();
  pcsc.ClearLog();
  EXPECT_EQ(CodeOf([&] { comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1); }),
            kInternalError);
  EXPECT_TRUE(pcsc.log().empty());
  EXPECT_EQ(comm.cardHandle(), first);
  EXPECT_TRUE(comm.connected());
}

TEST_F(PCSCCommTest, FailedCallsChangeNothing) {
  PCSCComm comm;
  pcsc.FailNext(Call::Connect, kNoSmartcard);
  EXPECT_EQ(CodeOf([&] { comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1); }), kNoSmartcard);
  EXPECT_FALSE(comm.connected());
  EXPECT_EQ(comm.cardHandle(), 0u);

  comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1);
  comm.Disconnect(kUnpowerCard);
  EXPECT_FALSE(comm.connected());
  EXPECT_EQ(comm.activeProtocol(), 0u);
  EXPECT_EQ(pcsc.Calls(Call::Disconnect).back().disposition, kUnpowerCard);
  EXPECT_EQ(pcsc.OpenCards(), 0u);
}

TEST_F(PCSCCommTest, AttachedHandleIsNeitherConnectedNorDisconnected) {
  PCSCComm owner;
  owner.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1);
  pcsc.ClearLog();
  {
    PCSCComm borrowed = PCSCComm::Attach(owner.cardHandle(), kProtocolT1);
    EXPECT_TRUE(borrowed.connected());
    EXPECT_TRUE(borrowed.attached());
    EXPECT_EQ(CodeOf([&] { borrowed.Disconnect(kLeaveCard); }), kInternalError);
    EXPECT_EQ(CodeOf([&] { borrowed.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT1); }),
              kInternalError);
  }
  EXPECT_TRUE(pcsc.log().empty());  // not even by its destructor
  EXPECT_EQ(pcsc.OpenCards(), 1u);
}

TEST_F(PCSCCommTest, DestructorLeavesTheCardAndSwallowsAFailure) {
  {
    PCSCComm comm;
    comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1);
  }
  ASSERT_EQ(pcsc.Count(Call::Disconnect), 1u);
  EXPECT_EQ(pcsc.Calls(Call::Disconnect)[0].disposition, kLeaveCard);
  EXPECT_EQ(pcsc.OpenCards(), 0u);

  pcsc.FailAlways(Call::Disconnect, kInvalidHandle);
  EXPECT_NO_THROW({
    PCSCComm comm;
    comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1);
  });
  EXPECT_EQ(pcsc.Count(Call::Disconnect), 2u);
  pcsc.FailAlways(Call::Disconnect, 0);
}

TEST_F(PCSCCommTest, TransmitBuffersHeadersAndNullCommand) {
  pcsc.SetProtocol(kProtocolT0);
  PCSCComm comm;
  comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1);
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
}

TEST_F(PCSCCommTest, AnswerLargerThanTheShortBufferIsAPCSCError) {
  PCSCComm comm;
  comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1);
  pcsc.ExpectApdu(Hex("00B00000000200"), ByteArray(600, 0x90));
  EXPECT_EQ(CodeOf([&] { comm.Transmit(Hex("00B00000000200"), false); }), kInsufficientBuffer);
  pcsc.ExpectApdu(Hex("00B00000000200"), ByteArray(600, 0x90));
  EXPECT_EQ(comm.Transmit(Hex("00B00000000200"), true).size(), 600u);
}

TEST_F(PCSCCommTest, UnknownProtocolHasNoHeader) {
  pcsc.SetProtocol(0x8);
  PCSCComm comm;
  comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1);
  pcsc.ClearLog();
  EXPECT_EQ(CodeOf([&] { comm.Transmit(Hex("00"), false); }), kProtoMismatch);
  EXPECT_TRUE(pcsc.log().empty());
}

TEST_F(PCSCCommTest, StatusReadsNamesStateProtocolAndAtr) {
  pcsc.SetStatus(0x34, kProtocolT1, Hex("3B8880010000000000000000"));
  PCSCComm comm;
  comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1);
  StringList names{u"stale"};
  std::uint32_t state = 0;
  std::uint32_t protocol = 0;
  ByteArray atr;
  comm.Status(names, state, protocol, atr);
  EXPECT_EQ(names, StringList{u"Reader 0"});
  EXPECT_EQ(state, 0x34u);
  EXPECT_EQ(protocol, kProtocolT1);
  EXPECT_EQ(atr, Hex("3B8880010000000000000000"));
  EXPECT_EQ(pcsc.Calls(Call::Status)[0].bufferSize, 1024u);
}

TEST_F(PCSCCommTest, ControlPassesCodeAndInputAndReturnsTheOutput) {
  PCSCComm comm;
  comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1);
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
