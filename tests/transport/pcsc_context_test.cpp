#include "transport/pcsc_context.h"

#include <gtest/gtest.h>

#include "fakes/fake_pcsc.h"
#include "support/exception.h"
#include "transport/reader_selection_dialog.h"

using Fakes::Call;
using Fakes::CodeOf;
using TAVQ::StringList;
using namespace TAVQ::PCSC;

TEST(PCSCContextTest, EstablishOnceReleaseOnceBorrowNever) {
  Fakes::FakePCSC pcsc;
  pcsc.FailNext(Call::EstablishContext, kNoService);
  PCSCContext context;
  EXPECT_EQ(CodeOf([&] { context.Establish(kScopeSystem); }), kNoService);
  EXPECT_FALSE(context.established());
  context.Establish(kScopeSystem);
  const ContextHandle handle = context.handle();
  EXPECT_EQ(CodeOf([&] { context.Establish(kScopeUser); }), kInternalError);
  EXPECT_EQ(context.handle(), handle);
  {
    PCSCContext borrowed = context.Borrow();
    EXPECT_TRUE(borrowed.attached());
    EXPECT_EQ(borrowed.handle(), handle);
    EXPECT_EQ(CodeOf([&] { borrowed.Release(); }), kInternalError);
    EXPECT_EQ(CodeOf([&] { borrowed.Establish(kScopeUser); }), kInternalError);
  }
  EXPECT_EQ(pcsc.OpenContexts(), 1u);
  context.Release();
  EXPECT_FALSE(context.established());
  EXPECT_EQ(context.handle(), 0u);
  EXPECT_EQ(CodeOf([&] { context.Release(); }), kInternalError);
  EXPECT_EQ(pcsc.Calls(Call::EstablishContext)[1].scope, kScopeSystem);
  EXPECT_EQ(pcsc.Count(Call::ReleaseContext), 1u);
  // The destructor releases and swallows a failure.
  pcsc.FailAlways(Call::ReleaseContext, kInvalidHandle);
  EXPECT_NO_THROW({
    PCSCContext scoped;
    scoped.Establish(kScopeUser);
  });
  EXPECT_EQ(pcsc.Count(Call::ReleaseContext), 2u);
}

TEST(ListReadersTest, WalksTheMultiStringInOrderKeepingNamesAndFreesIt) {
  Fakes::FakePCSC pcsc;
  pcsc.SetReaderMultiString(std::u16string(u"B reader\0 Sp\u00e4ced \0Dup\0Dup\0\0", 27));
  PCSCContext context;
  context.Establish(kScopeUser);
  EXPECT_EQ(context.ListReaders(), (StringList{u"B reader", u" Sp\u00e4ced ", u"Dup", u"Dup"}));
  const auto list = pcsc.Calls(Call::ListReaders)[0];
  EXPECT_TRUE(list.groupsNull);
  EXPECT_EQ(list.bufferSize, kAutoAllocate);
  EXPECT_EQ(list.context, context.handle());
  ASSERT_EQ(pcsc.Count(Call::FreeMemory), 1u);
  EXPECT_EQ(pcsc.Calls(Call::FreeMemory)[0].result, kSuccess);  // the very buffer handed out
}

TEST(ListReadersTest, NoReadersOrNoServiceIsAnEmptyListOtherFailuresRaise) {
  for (const Result code : {kNoReadersAvailable, kNoService, kServiceStopped, kInvalidHandle}) {
    Fakes::FakePCSC pcsc;
    pcsc.SetReaders({u"A"});
    pcsc.FailNext(Call::ListReaders, code);
    PCSCContext context;
    context.Establish(kScopeUser);
    if (code == kInvalidHandle) {
      EXPECT_EQ(CodeOf([&] { context.ListReaders(); }), kInvalidHandle);
    } else {
      EXPECT_TRUE(context.ListReaders().empty()) << code;
    }
    EXPECT_EQ(pcsc.Count(Call::FreeMemory), 0u);
    pcsc.FailNext(Call::FreeMemory, kInvalidParameter);
    EXPECT_EQ(CodeOf([&] { context.ListReaders(); }), kInvalidParameter);
  }
  // An unestablished handle goes to PC/SC unchanged.
  Fakes::FakePCSC pcsc;
  PCSCContext context;
  pcsc.FailNext(Call::ListReaders, kInvalidHandle);
  EXPECT_EQ(CodeOf([&] { context.ListReaders(); }), kInvalidHandle);
  EXPECT_EQ(pcsc.Calls(Call::ListReaders)[0].context, 0u);
}

TEST(MultiStringTest, SplitStopsAtTheEmptyNameOrTheEndBuildEndsWithTwoZeros) {
  const std::u16string twoNames(u"A\0B\0\0C\0\0", 8);
  EXPECT_EQ(SplitMultiString(twoNames.data(), twoNames.size()), (StringList{u"A", u"B"}));
  const std::u16string unterminated(u"AB\0CD", 5);
  EXPECT_EQ(SplitMultiString(unterminated.data(), unterminated.size()), (StringList{u"AB", u"CD"}));
  EXPECT_TRUE(SplitMultiString(nullptr, 4).empty());
  EXPECT_TRUE(SplitMultiString(u"", 1).empty());
  EXPECT_EQ(BuildMultiString({u"ZK", u"eID"}), std::u16string(u"ZK\0eID\0\0", 8));
  EXPECT_EQ(BuildMultiString({}), std::u16string(u"\0", 1));
}
