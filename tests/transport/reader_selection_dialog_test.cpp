// The selection equivalent used where the platform has no card selection dialog.
#include <gtest/gtest.h>

#include "fakes/fake_pcsc.h"
#include "transport/reader_selection_dialog.h"

using Fakes::Call;
using TAVQ::StringList;
using namespace TAVQ::PCSC;

namespace {

// Accepts cards in readers whose name starts with "Health"; two readers' checks raise.
class HealthCardDialog : public ReaderSelectionDialog {
 public:
  HealthCardDialog(const PCSCContext& context, Fakes::FakePCSC& pcsc) : ReaderSelectionDialog(context), pcsc_(pcsc) {}

  bool CheckCard(ContextHandle context, CardHandle card) override {
    EXPECT_EQ(context, this->context.handle());
    std::u16string reader;
    for (const auto& connect : pcsc_.Calls(Call::Connect)) {
      if (connect.card == card) reader = connect.reader.value_or(u"");
    }
    if (reader == u"Broken") throw PCSCWin32Exception("SCardTransmit", kRemovedCard);
    if (reader == u"Weird") throw 42;
    return reader.rfind(u"Health", 0) == 0;
  }

 private:
  Fakes::FakePCSC& pcsc_;
};

class ReaderSelectionDialogTest : public ::testing::Test {
 protected:
  ReaderSelectionDialogTest() {
    pcsc.SetReaders({u"Other", u"Health A", u"Broken", u"Empty", u"Weird", u"Health B"});
    pcsc.RemoveCard(u"Empty");
  }

  // Shows the dialog with a chooser that records what it was offered and picks `pick`.
  void Show(std::optional<std::size_t> pick) {
    offered = {u"(not asked)"};
    dialog.chooser = [this, pick](const StringList& readers) {
      offered = readers;
      return pick;
    };
    dialog.Show();
  }

  static PCSCContext Established() {
    PCSCContext established;
    established.Establish(kScopeSystem);
    return established;
  }

  Fakes::FakePCSC pcsc;
  PCSCContext context = Established();  // before the dialog borrows it
  HealthCardDialog dialog{context, pcsc};
  StringList offered;
};

TEST_F(ReaderSelectionDialogTest, OffersOnlyCardsThatPassTheCheckAndLeavesThemAll) {
  Show(1);
  EXPECT_EQ(offered, (StringList{u"Health A", u"Health B"}));
  EXPECT_EQ(dialog.selectedReader, u"Health B");
  EXPECT_EQ(dialog.activeProtocol, kProtocolT1);
  EXPECT_EQ(pcsc.OpenCards(), 0u);
  for (const auto& call : pcsc.Calls(Call::Disconnect)) EXPECT_EQ(call.disposition, kLeaveCard);
}

TEST_F(ReaderSelectionDialogTest, OneQualifyingCardIsTakenWithoutAskingOnlyWithMinimalUi) {
  pcsc.RemoveCard(u"Health B");
  Show(std::nullopt);
  EXPECT_EQ(offered, StringList{u"(not asked)"});
  EXPECT_EQ(dialog.selectedReader, u"Health A");
  dialog.flags = 0;
  Show(0);
  EXPECT_EQ(offered, StringList{u"Health A"});
  // Only a failing disconnect of the chosen card raises.
  dialog.selectedReader.clear();
  pcsc.FailAlways(Call::Disconnect, kRemovedCard);
  EXPECT_EQ(Fakes::CodeOf([&] { Show(0); }), kRemovedCard);
  EXPECT_TRUE(dialog.selectedReader.empty());
  pcsc.FailAlways(Call::Disconnect, 0);
}

TEST_F(ReaderSelectionDialogTest, CancelledFailedOrWithoutCardsChoosesNothing) {
  Show(std::nullopt);
  Show(7);  // not one of the offered readers
  EXPECT_TRUE(dialog.selectedReader.empty());
  EXPECT_EQ(dialog.activeProtocol, 0u);
  pcsc.FailNext(Call::ListReaders, kInvalidHandle);
  Show(0);
  EXPECT_TRUE(dialog.selectedReader.empty());
  pcsc.RemoveCard(u"Health A");
  pcsc.RemoveCard(u"Health B");
  Show(0);
  EXPECT_EQ(offered, StringList{u"(not asked)"});
  EXPECT_TRUE(dialog.selectedReader.empty());
  EXPECT_EQ(pcsc.OpenCards(), 0u);
}

}  // namespace
