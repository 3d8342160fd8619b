// Context, card handle and connection over the scripted PC/SC.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "fakes/fake_pcsc.h"
#include "transport/pcsc_card_connection.h"
#include "transport/pcsc_comm.h"
#include "transport/pcsc_context.h"
#include "transport/reader_selection_dialog.h"

using Fakes::Call;
using Fakes::CodeOf;
using Fakes::Hex;
using TAVQ::ByteArray;
using TAVQ::StringList;
using namespace TAVQ::PCSC;
using Calls = std::vector<Call>;

namespace {

class PCSCTest : public ::testing::Test {
 protected:
  PCSCTest() { context.Establish(kScopeUser); }
  void Connect(PCSCComm& comm) { comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1); }

  Fakes::FakePCSC pcsc;
  PCSCContext context;
};

TEST_F(PCSCTest, ContextIsEstablishedOnceReleasedOnceAndNeverByABorrower) {
  pcsc.FailNext(Call::EstablishContext, kNoService);
  PCSCContext system;
  EXPECT_EQ(CodeOf([&] { system.Establish(kScopeSystem); }), kNoService);
  system.Establish(kScopeSystem);
  EXPECT_EQ(CodeOf([&] { system.Establish(kScopeUser); }), kInternalError);
  PCSCContext borrowed = system.Borrow();
  EXPECT_EQ(borrowed.handle(), system.handle());
  EXPECT_EQ(CodeOf([&] { borrowed.Release(); }), kInternalError);
  system.Release();
  EXPECT_EQ(CodeOf([&] { system.Release(); }), kInternalError);
  EXPECT_EQ(pcsc.Calls(Call::EstablishContext).back().scope, kScopeSystem);
  // The destructor releases and swallows a failure.
  pcsc.FailAlways(Call::ReleaseContext, kInvalidHandle);
  EXPECT_NO_THROW(PCSCContext().Establish(kScopeUser));
  EXPECT_EQ(pcsc.Count(Call::ReleaseContext), 2u);
}

TEST_F(PCSCTest, ListReadersKeepsNamesInOrderAndFreesTheList) {
  const StringList names{u"B reader", u" Sp\u00e4ced ", u"Dup", u"Dup"};
  pcsc.SetReaders(names);
  EXPECT_EQ(context.ListReaders(), names);
  EXPECT_EQ(pcsc.Calls(Call::FreeMemory).at(0).result, kSuccess);  // the very buffer handed out
  pcsc.FailNext(Call::FreeMemory, kInvalidParameter);
  EXPECT_EQ(CodeOf([&] { context.ListReaders(); }), kInvalidParameter);
  // No reader or no service is an empty list; other failures raise.
  for (const Result code : {kNoReadersAvailable, kNoService, kServiceStopped, kInvalidHandle}) {
    pcsc.FailNext(Call::ListReaders, code);
    EXPECT_EQ(CodeOf([&] { EXPECT_TRUE(context.ListReaders().empty()); }), code == kInvalidHandle ? code : 0);
  }
  const std::u16string twoNames(u"A\0B\0\0C\0\0", 8);
  EXPECT_EQ(SplitMultiString(twoNames.data(), twoNames.size()), (StringList{u"A", u"B"}));
  const std::u16string unterminated(u"AB\0CD", 5);
  EXPECT_EQ(SplitMultiString(unterminated.data(), unterminated.size()), (StringList{u"AB", u"CD"}));
  EXPECT_EQ(BuildMultiString({u"ZK", u"eID"}), std::u16string(u"ZK\0eID\0\0", 8));
  EXPECT_EQ(BuildMultiString({}), std::u16string(u"\0", 1));
}

TEST_F(PCSCTest, HandlesItDoesNotOwnReachNoPCSCCall) {
  PCSCComm owner, never;
  Connect(owner);
  pcsc.ClearLog();
  StringList names;
  std::uint32_t state = 0, protocol = 0;
  ByteArray atr;
  PCSCComm::Attach(owner.cardHandle(), kProtocolT1);  // not disconnected by its destructor
  for (const auto& operation : std::vector<std::function<void()>>{
           [&] { PCSCComm::Attach(owner.cardHandle(), kProtocolT1).Disconnect(kLeaveCard); },
           [&] { Connect(owner); }, [&] { never.Transmit(Hex("00A40400"), false); },
           [&] { never.Status(names, state, protocol, atr); }, [&] { never.BeginTransaction(); },
           [&] { never.EndTransaction(kLeaveCard); }, [&] { never.Control(0x42000001, {}); },
           [&] { never.Disconnect(kLeaveCard); }, [&] { never.Reconnect(kShareShared, kProtocolT0OrT1, kResetCard); }}) {
    EXPECT_EQ(CodeOf(operation), kInternalError);
  }
  EXPECT_TRUE(pcsc.log().empty());
}

TEST_F(PCSCTest, ConnectPassesItsArgumentsAndAFailedDisconnectForgetsTheHandle) {
  pcsc.SetProtocol(kProtocolT0);
  PCSCComm named, unnamed;
  pcsc.FailNext(Call::Connect, kNoSmartcard);
  EXPECT_EQ(CodeOf([&] { Connect(named); }), kNoSmartcard);
  Connect(named);
  unnamed.Connect(context.handle(), u"", kShareExclusive, kProtocolT1);
  const auto connects = pcsc.Calls(Call::Connect);
  EXPECT_EQ(connects[1].reader, std::u16string(u"Reader 0"));
  EXPECT_FALSE(connects[2].reader.has_value());  // an empty name goes as a null pointer
  EXPECT_EQ(connects[2].shareMode, kShareExclusive);
  EXPECT_EQ(named.activeProtocol(), kProtocolT0);
  EXPECT_EQ(named.cardHandle(), connects[1].card);
  pcsc.FailNext(Call::Disconnect, kRemovedCard);
  EXPECT_EQ(CodeOf([&] { named.Disconnect(kUnpowerCard); }), kRemovedCard);
  EXPECT_EQ(pcsc.Calls(Call::Disconnect).back().disposition, kUnpowerCard);
  EXPECT_FALSE(named.connected());
  EXPECT_EQ(named.activeProtocol(), 0u);
  EXPECT_EQ(CodeOf([&] { Connect(named); }), 0);
  // The destructor leaves the card and swallows a failure.
  pcsc.FailNext(Call::Disconnect, kInvalidHandle);
  EXPECT_NO_THROW({ PCSCComm failing; Connect(failing); });
  EXPECT_EQ(pcsc.Calls(Call::Disconnect).back().disposition, kLeaveCard);
}

TEST_F(PCSCTest, TransmitStatusAndControl) {
  pcsc.SetProtocol(kProtocolT0);
  PCSCComm comm;
  Connect(comm);
  pcsc.ExpectApdu("00", "9000");
  EXPECT_EQ(comm.Transmit(Hex("00"), false), Hex("9000"));
  // An answer larger than the short buffer is a PC/SC error; the extended buffer holds it.
  pcsc.ExpectApdu(Hex("00B00000000200"), ByteArray(600, 0x90));
  EXPECT_EQ(CodeOf([&] { comm.Transmit(Hex("00B00000000200"), false); }), kInsufficientBuffer);
  pcsc.ExpectApdu(Hex("00B00000000200"), ByteArray(8192, 0x90));
  EXPECT_EQ(comm.Transmit(Hex("00B00000000200"), true).size(), 8192u);
  pcsc.SetAtr(ByteArray(32, 0x3B));  // the longest answer to reset
  StringList names{u"stale"};
  std::uint32_t state = 0, protocol = 0;
  ByteArray atr;
  comm.Status(names, state, protocol, atr);
  EXPECT_EQ(std::make_tuple(names, state, protocol, atr),
            std::make_tuple(StringList{u"Reader 0"}, 0x34u, kProtocolT0, ByteArray(32, 0x3B)));
  comm.Control(0x42000D48, Hex("FF"));
  EXPECT_EQ(pcsc.Calls(Call::Control)[0].controlCode, 0x42000D48u);
  EXPECT_EQ(pcsc.Calls(Call::Control)[0].data, Hex("FF"));
  // An unknown protocol has no header.
  pcsc.SetProtocol(0x8);
  PCSCComm unknown;
  Connect(unknown);
  EXPECT_EQ(CodeOf([&] { unknown.Transmit(Hex("00"), false); }), kProtoMismatch);
  EXPECT_EQ(pcsc.Count(Call::Transmit), 3u);
}

TEST(PCSCCardConnectionTest, KeepsItsContextAcrossCardsAndReleasesItLast) {
  Fakes::FakePCSC pcsc;
  {
    PCSCCardConnection connection(u"Reader 0");
    EXPECT_EQ(CodeOf([&] { connection.BeginTransaction(); }), kInternalError);  // not connected
    connection.Connect();
    connection.Disconnect(kLeaveCard);
    connection.Connect();
  }
  EXPECT_EQ(pcsc.Sequence(), (Calls{Call::EstablishContext, Call::Connect, Call::Disconnect, Call::Connect,
                                   Call::Disconnect, Call::ReleaseContext}));
  EXPECT_EQ(pcsc.Calls(Call::EstablishContext)[0].scope, 0u);  // the user's scope
}

TEST(PCSCCardConnectionTest, AResetCardIsReconnectedOnceThenTheTransactionStarts) {
  for (const Call resetSeenBy : {Call::BeginTransaction, Call::Status}) {
    Fakes::FakePCSC pcsc;
    PCSCCardConnection connection(u"Reader 0");
    connection.Connect();
    pcsc.ClearLog();
    pcsc.FailNext(resetSeenBy, kResetCardWarning);
    pcsc.SetProtocol(kProtocolT0);
    connection.BeginTransaction();
    Calls expected{Call::BeginTransaction, Call::Status, Call::Reconnect, Call::BeginTransaction};
    if (resetSeenBy == Call::BeginTransaction) expected.erase(expected.begin() + 1);
    EXPECT_EQ(pcsc.Sequence(), expected);
    EXPECT_EQ(pcsc.Calls(Call::Reconnect)[0].disposition, kResetCard);
    EXPECT_EQ(pcsc.Calls(Call::Reconnect)[0].preferredProtocols, kProtocolT0OrT1);
    EXPECT_EQ(connection.GetProtocol(), kProtocolT0);
    // A second reset, a failed reconnect or another failure goes to the caller.
    const std::vector<std::pair<Call, Result>> failures[] = {
        {{Call::BeginTransaction, kResetCardWarning}, {Call::BeginTransaction, kResetCardWarning}},
        {{Call::BeginTransaction, kResetCardWarning}, {Call::Reconnect, kRemovedCard}},
        {{Call::BeginTransaction, kSharingViolation}}};
    for (const auto& injected : failures) {
      for (const auto& [call, code] : injected) pcsc.FailNext(call, code);
      EXPECT_EQ(CodeOf([&] { connection.BeginTransaction(); }), injected.back().second);
    }
  }
}

TEST_F(PCSCTest, AnAttachedConnectionBorrowsTheHandleWithTheProtocolFromOneStatus) {
  PCSCComm owner;
  Connect(owner);
  pcsc.SetProtocol(kProtocolT0);
  pcsc.ClearLog();
  {
    PCSCAttachedConnection attached(owner.cardHandle(), kShareShared, kProtocolT0OrT1);
    EXPECT_EQ(attached.GetProtocol(), kProtocolT0);
    attached.Connect();
    attached.BeginTransaction();
    attached.EndTransaction();
    attached.Disconnect(kLeaveCard);
  }
  EXPECT_EQ(pcsc.Sequence(), (Calls{Call::Status, Call::BeginTransaction, Call::Status, Call::EndTransaction}));
  EXPECT_EQ(CodeOf([] { PCSCAttachedConnection attached(0x1234, kShareShared, kProtocolT0OrT1); }), kInvalidHandle);
}

}  // namespace
