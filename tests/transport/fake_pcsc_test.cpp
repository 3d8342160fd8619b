// The one promise of the fake that every other test relies on.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "fakes/fake_pcsc.h"
#include "transport/pcsc_comm.h"
#include "transport/pcsc_context.h"

using Fakes::Hex;
using namespace TAVQ::PCSC;

TEST(FakePCSCTest, UnscriptedOrReorderedCommandsFailTheTest) {
  Fakes::FakePCSC pcsc;
  PCSCContext context;
  context.Establish(kScopeUser);
  PCSCComm comm;
  comm.Connect(context.handle(), u"R", kShareShared, kProtocolT0OrT1);
  pcsc.ExpectApdu("0001", "9000");
  EXPECT_NONFATAL_FAILURE(EXPECT_EQ(comm.Transmit(Hex("0002"), false), Hex("6F00")), "where the script expects 0001");
  EXPECT_NONFATAL_FAILURE(comm.Transmit(Hex("0003"), false), "after the end of the script");
}
