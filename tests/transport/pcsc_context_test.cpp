#include <gtest/gtest.h>

#include "fakes/fake_pcsc.h"
#include "support/exception.h"
#include "transport/pcsc_context.h"

using Fakes::Call;
using Fakes::CodeOf;
using TAVQ::StringList;
using namespace TAVQ::PCSC;

namespace {

using Names = std::vector<std::string>;

}  // namespace

TEST(PCSCContextTest, EstablishOnceReleaseOnce) {
  Fakes::FakePCSC pcsc;
  {
    PCSCContext context;
    EXPECT_FALSE(context.established());
    context.Establish(kScopeSystem);
    const ContextHandle handle = context.handle();
    EXPECT_EQ(CodeOf([&] { context.Establish(kScopeUser); }), kInternalError);
    EXPECT_EQ(context.handle(), handle);
    context.Release();
    EXPECT_FALSE(context.established());
    EXPECT_EQ(context.handle(), 0u);
    EXPECT_EQ(CodeOf([&] { context.Release(); }), kInternalError);
  }
  EXPECT_EQ(pcsc.CallNames(), (Names{"SCardEstablishContext", "SCardReleaseContext"}));
  EXPECT_EQ(pcsc.Calls(Call::EstablishContext)[0].scope, kScopeSystem);
}

TEST(PCSCContextTest, FailedEstablishLeavesItFresh) {
  Fakes::FakePCSC pcsc;
  pcsc.FailNext(Call::EstablishContext, kNoService);
  PCSCContext context;
  EXPECT_EQ(CodeOf([&] { context.Establish(kScopeUser); }), kNoService);
  EXPECT_FALSE(context.established());
  context.Establish(kScopeUser);
  EXPECT_TRUE(context.established());
}

TEST(PCSCContextTest, BorrowedCopyNeverReleases) {
  Fakes::FakePCSC pcsc;
  PCSCContext owner;
  owner.Establish(kScopeUser);
  {
    PCSCContext borrowed = owner.Borrow();
    EXPECT_TRUE(borrowed.attached());
    EXPECT_EQ(borrowed.handle(), owner.handle());
    EXPECT_EQ(CodeOf([&] { borrowed.Release(); }), kInternalError);
    EXPECT_EQ(CodeOf([&] { borrowed.Establish(kScopeUser); }), kInternalError);
  }
  EXPECT_EQ(pcsc.Count(Call::ReleaseContext), 0u);
  EXPECT_EQ(pcsc.OpenContexts(), 1u);
}

TEST(PCSCContextTest, DestructorReleasesAndSwallowsAFailure) {
  Fakes::FakePCSC pcsc;
  { PCSCContext fresh; }
  EXPECT_TRUE(pcsc.log().empty());
  pcsc.FailAlways(Call::ReleaseContext, kInvalidHandle);
  EXPECT_NO_THROW({
    PCSCContext context;
    context.Establish(kScopeUser);
  });
  EXPECT_EQ(pcsc.Count(Call::ReleaseContext), 1u);
}

TEST(ListReadersTest, WalksTheMultiStringInOrderAndFreesIt) {
  Fakes::FakePCSC pcsc;
  pcsc.SetReaderMultiString(std::u16string(u"B reader\0A reader\0\0", 19));
  PCSCContext context;
  context.Establish(kScopeUser);
  EXPECT_EQ(context.ListReaders(), (StringList{u"B reader", u"A reader"}));
  const auto list = pcsc.Calls(Call::ListReaders)[0];
  EXPECT_TRUE(list.groupsNull);
  EXPECT_EQ(list.bufferSize, kAutoAllocate);
  EXPECT_EQ(list.context, context.handle());
  ASSERT_EQ(pcsc.Count(Call::FreeMemory), 1u);
  EXPECT_EQ(pcsc.Calls(Call::FreeMemory)[0].result, kSuccess);  // the very buffer handed out
}

TEST(ListReadersTest, NamesAreKeptAsTheyAre) {
  Fakes::FakePCSC pcsc;
  pcsc.SetReaders({u" Spaced ", u"Dup", u"Dup", u"Äßé Ω"});
  PCSCContext context;
  context.Establish(kScopeUser);
  EXPECT_EQ(context.ListReaders(), (StringList{u" Spaced ", u"Dup", u"Dup", u"Äßé Ω"}));
}

TEST(ListReadersTest, NoReadersNoServiceAndStoppedServiceAreAnEmptyList) {
  for (const Result code : {kNoReadersAvailable, kNoService, kServiceStopped}) {
    Fakes::FakePCSC pcsc;
    pcsc.FailNext(Call::ListReaders, code);
    PCSCContext context;
    context.Establish(kScopeUser);
    EXPECT_TRUE(context.ListReaders().empty());
    EXPECT_EQ(pcsc.Count(Call::FreeMemory), 0u);
  }
}

TEST(ListReadersTest, OtherFailuresAreRaised) {
  Fakes::FakePCSC pcsc;
  pcsc.SetReaders({u"A"});
  PCSCContext context;
  context.Establish(kScopeUser);
  pcsc.FailNext(Call::ListReaders, kInvalidHandle);
  EXPECT_EQ(CodeOf([&] { context.ListReaders(); }), kInvalidHandle);
  pcsc.FailNext(Call::FreeMemory, kInvalidParameter);
  EXPECT_EQ(CodeOf([&] { context.ListReaders(); }), kInvalidParameter);
}

TEST(ListReadersTest, UnestablishedHandleGoesToPCSCUnchanged) {
  Fakes::FakePCSC pcsc;
  PCSCContext context;
  pcsc.FailNext(Call::ListReaders, kInvalidHandle);
  EXPECT_EQ(CodeOf([&] { context.ListReaders(); }), kInvalidHandle);
  EXPECT_EQ(pcsc.Calls(Call::ListReaders)[0].context, 0u);
}

TEST(SplitMultiStringTest, StopsAtTheEmptyNameOrTheEndOfTheBuffer) {
  const std::u16string twoNames(u"A\0B\0\0C\0\0", 8);
  EXPECT_EQ(SplitMultiString(twoNames.data(), twoNames.size()), (StringList{u"A", u"B"}));
  const std::u16string unterminated(u"AB\0CD", 5);
  EXPECT_EQ(SplitMultiString(unterminated.data(), unterminated.size()), (StringList{u"AB", u"CD"}));
  EXPECT_TRUE(SplitMultiString(nullptr, 4).empty());
  EXPECT_TRUE(SplitMultiString(u"", 1).empty());
}
