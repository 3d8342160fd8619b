// A handle whose disconnect fails is forgotten: the next operation connects afresh.
#include <gtest/gtest.h>

#include "fakes/fake_pcsc.h"
#include "support/exception.h"
#include "transport/pcsc_card_connection.h"
#include "transport/pcsc_comm.h"
#include "transport/pcsc_context.h"

using Fakes::Call;
using Fakes::CodeOf;
using namespace TAVQ::PCSC;

namespace {

TEST(FailedDisconnect, ForgetsTheHandleAndRaisesTheFailure) {
  for (const std::int32_t failure : {kRemovedCard, kInvalidHandle}) {
    SCOPED_TRACE(failure);
    Fakes::FakePCSC pcsc;
    PCSCContext context;
    context.Establish(kScopeUser);
    PCSCComm comm;
    comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1);
    const CardHandle first = comm.cardHandle();

    pcsc.FailNext(Call::Disconnect, failure);
    EXPECT_EQ(CodeOf([&] { comm.Disconnect(kLeaveCard); }), failure);
    EXPECT_FALSE(comm.connected());
    EXPECT_EQ(comm.cardHandle(), 0u);
    EXPECT_EQ(comm.activeProtocol(), 0u);

    EXPECT_EQ(CodeOf([&] { comm.Connect(context.handle(), u"Reader 0", kShareShared, kProtocolT0OrT1); }), 0);
    EXPECT_NE(comm.cardHandle(), first);
    ASSERT_EQ(pcsc.Count(Call::Connect), 2u);
  }
}

TEST(FailedDisconnect, TheConnectionAnswersTheNextOperationAfterwards) {
  Fakes::FakePCSC pcsc;
  PCSCCardConnection connection(u"Reader 0");
  connection.Connect();
  pcsc.FailNext(Call::Disconnect, kRemovedCard);
  EXPECT_EQ(CodeOf([&] { connection.Disconnect(kLeaveCard); }), kRemovedCard);

  EXPECT_EQ(CodeOf([&] { connection.Connect(); }), 0);
  EXPECT_EQ(CodeOf([&] { connection.BeginTransaction(); }), 0);
  EXPECT_EQ(CodeOf([&] { connection.EndTransaction(); }), 0);
  EXPECT_EQ(CodeOf([&] { connection.Disconnect(kLeaveCard); }), 0);
  // Two destructors later nothing is disconnected twice.
  EXPECT_EQ(pcsc.Count(Call::Disconnect), 2u);
}

}  // namespace
