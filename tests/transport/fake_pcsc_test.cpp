// The fake's own promises that other layers' tests rely on.
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

TEST(FakePCSCTest, InstallsItselfOnlyForItsLifetime) {
  PCSCApi* before = &Api();
  {
    Fakes::FakePCSC pcsc;
    EXPECT_EQ(&Api(), &pcsc);
  }
  EXPECT_EQ(&Api(), before);
  EXPECT_EQ(before, &PlatformApi());
}

TEST(FakePCSCTest, InjectedCodesAreUsedOncePerCallInOrder) {
  Fakes::FakePCSC pcsc;
  pcsc.FailNext(Fakes::Call::EstablishContext, kNoService);
  pcsc.FailNext(Fakes::Call::EstablishContext, kServiceStopped);
  ContextHandle handle = 0;
  EXPECT_EQ(pcsc.EstablishContext(kScopeUser, nullptr, nullptr, &handle), kNoService);
  EXPECT_EQ(pcsc.EstablishContext(kScopeUser, nullptr, nullptr, &handle), kServiceStopped);
  EXPECT_EQ(pcsc.EstablishContext(kScopeUser, nullptr, nullptr, &handle), kSuccess);
  EXPECT_NE(handle, 0u);
}
