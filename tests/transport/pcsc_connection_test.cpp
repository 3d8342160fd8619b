#include <gtest/gtest.h>

#include "fakes/fake_pcsc.h"
#include "support/exception.h"
#include "transport/pcsc_card_connection.h"

using Fakes::Call;
using Fakes::CodeOf;
using Fakes::Hex;
using TAVQ::ByteArray;
using namespace TAVQ::PCSC;

using Names = std::vector<std::string>;

TEST(PCSCCardConnectionTest, OneCardOperationFromContextToRelease) {
  Fakes::FakePCSC pcsc;
  pcsc.ExpectApdu("00A4040C 02 3F00", "9000");
  {
    PCSCCardConnection connection(u"Reader 0");
    connection.Connect();
    connection.BeginTransaction();
    EXPECT_EQ(connection.Transmit(Hex("00A4040C023F00"), false), Hex("9000"));
    connection.EndTransaction();
    connection.Disconnect(kLeaveCard);
    // The context stays for the next operation.
    connection.Connect();
  }
  EXPECT_EQ(pcsc.CallNames(),
            (Names{"SCardEstablishContext", "SCardConnect", "SCardBeginTransaction", "SCardStatus", "SCardTransmit",
                   "SCardEndTransaction", "SCardDisconnect", "SCardConnect", "SCardDisconnect",
                   "SCardReleaseContext"}));
  EXPECT_EQ(pcsc.Calls(Call::EstablishContext)[0].scope, kScopeUser);
  EXPECT_TRUE(pcsc.Calls(Call::EstablishContext)[0].reservedNull);
  const auto connect = pcsc.Calls(Call::Connect)[0];
  EXPECT_EQ(connect.shareMode, kShareShared);
  EXPECT_EQ(connect.preferredProtocols, kProtocolT0OrT1);
  EXPECT_EQ(pcsc.Calls(Call::EndTransaction)[0].disposition, kLeaveCard);
  EXPECT_EQ(pcsc.Calls(Call::Disconnect)[1].disposition, kLeaveCard);  // by the destructor
  EXPECT_EQ(pcsc.OpenContexts(), 0u);
  EXPECT_EQ(pcsc.OpenCards(), 0u);
}

TEST(PCSCCardConnectionTest, ResetCardIsReconnectedOnceThenTheTransactionStarts) {
  for (const Call resetSeenBy : {Call::BeginTransaction, Call::Status}) {
    Fakes::FakePCSC pcsc;
    PCSCCardConnection connection(u"Reader 0");
    connection.Connect();
    pcsc.ClearLog();
    pcsc.FailNext(resetSeenBy, kResetCardWarning);
    pcsc.SetProtocol(kProtocolT0);
    connection.BeginTransaction();
    if (resetSeenBy == Call::BeginTransaction) {
      EXPECT_EQ(pcsc.CallNames(), (Names{"SCardBeginTransaction", "SCardReconnect", "SCardBeginTransaction"}));
    } else {
      EXPECT_EQ(pcsc.CallNames(),
                (Names{"SCardBeginTransaction", "SCardStatus", "SCardReconnect", "SCardBeginTransaction"}));
    }
    const auto reconnect = pcsc.Calls(Call::Reconnect)[0];
    EXPECT_EQ(reconnect.disposition, kResetCard);
    EXPECT_EQ(reconnect.shareMode, kShareShared);
    EXPECT_EQ(reconnect.preferredProtocols, kProtocolT0OrT1);
    EXPECT_EQ(connection.GetProtocol(), kProtocolT0);
  }
}

TEST(PCSCCardConnectionTest, FailuresOfTheRecoveryPropagate) {
  Fakes::FakePCSC pcsc;
  PCSCCardConnection connection(u"Reader 0");
  connection.Connect();
  pcsc.ClearLog();
  pcsc.FailNext(Call::BeginTransaction, kResetCardWarning);
  pcsc.FailNext(Call::BeginTransaction, kResetCardWarning);
  EXPECT_EQ(CodeOf([&] { connection.BeginTransaction(); }), kResetCardWarning);
  EXPECT_EQ(pcsc.Count(Call::Reconnect), 1u);
  EXPECT_EQ(pcsc.Count(Call::BeginTransaction), 2u);

  pcsc.FailNext(Call::BeginTransaction, kResetCardWarning);
  pcsc.FailNext(Call::Reconnect, kRemovedCard);
  EXPECT_EQ(CodeOf([&] { connection.BeginTransaction(); }), kRemovedCard);

  pcsc.ClearLog();
  pcsc.FailNext(Call::BeginTransaction, kSharingViolation);
  EXPECT_EQ(CodeOf([&] { connection.BeginTransaction(); }), kSharingViolation);
  EXPECT_EQ(pcsc.CallNames(), Names{"SCardBeginTransaction"});
}

TEST(PCSCCardConnectionTest, FailuresOfContextOrClosedConnectionAndTheDestructor) {
  Fakes::FakePCSC pcsc;
  pcsc.FailNext(Call::EstablishContext, kNoService);
  EXPECT_EQ(CodeOf([] { PCSCCardConnection connection(u"Reader 0"); }), kNoService);
  EXPECT_EQ(pcsc.CallNames(), Names{"SCardEstablishContext"});
  PCSCCardConnection closed(u"Reader 0");
  pcsc.ClearLog();
  EXPECT_EQ(CodeOf([&] { closed.BeginTransaction(); }), kInternalError);
  EXPECT_EQ(CodeOf([&] { closed.Transmit(Hex("00"), false); }), kInternalError);
  EXPECT_EQ(CodeOf([&] { closed.Disconnect(kLeaveCard); }), kInternalError);
  EXPECT_TRUE(pcsc.log().empty());
  pcsc.FailAlways(Call::Disconnect, kRemovedCard);
  pcsc.FailAlways(Call::ReleaseContext, kInvalidHandle);
  EXPECT_NO_THROW({
    PCSCCardConnection connection(u"Reader 0");
    connection.Connect();
  });
  EXPECT_EQ(pcsc.Count(Call::Disconnect), 1u);
  EXPECT_EQ(pcsc.Count(Call::ReleaseContext), 1u);
}

TEST(PCSCAttachedConnectionTest, BorrowsTheHandleWithTheProtocolFromOneStatus) {
  Fakes::FakePCSC pcsc;
  PCSCContext context;
  context.Establish(kScopeSystem);
  PCSCComm owner;
  owner.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1);
  pcsc.SetStatus(0x34, kProtocolT0, Hex("3B021450"));
  pcsc.ClearLog();
  pcsc.ExpectApdu("0020008100", "9000");
  {
    PCSCAttachedConnection attached(owner.cardHandle(), kShareShared, kProtocolT0OrT1);
    EXPECT_EQ(attached.GetProtocol(), kProtocolT0);
    attached.Connect();
    attached.BeginTransaction();
    attached.Transmit(Hex("0020008100"), false);
    attached.EndTransaction();
    attached.Disconnect(kLeaveCard);
  }
  EXPECT_EQ(pcsc.CallNames(), (Names{"SCardStatus", "SCardBeginTransaction", "SCardStatus", "SCardTransmit",
                                     "SCardEndTransaction"}));
  EXPECT_EQ(pcsc.Calls(Call::Status)[0].card, owner.cardHandle());
  EXPECT_EQ(pcsc.OpenCards(), 1u);
  // An unreadable handle is not attached.
  pcsc.ClearLog();
  pcsc.FailNext(Call::Status, kInvalidHandle);
  EXPECT_EQ(CodeOf([] { PCSCAttachedConnection attached(0x1234, kShareShared, kProtocolT0OrT1); }), kInvalidHandle);
  EXPECT_EQ(pcsc.CallNames(), Names{"SCardStatus"});
}
