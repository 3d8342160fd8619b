// The selection equivalent used where the platform has no card selection dialog.
#include <gtest/gtest.h>

#include <stdexcept>

#include "fakes/fake_pcsc.h"
#include "support/exception.h"
#include "transport/reader_selection_dialog.h"

using Fakes::Call;
using TAVQ::StringList;
using namespace TAVQ::PCSC;

namespace {

// Accepts cards in readers whose name starts with "Health"; one reader's check raises.
class HealthCardDialog : public ReaderSelectionDialog {
 public:
  HealthCardDialog(const PCSCContext& context, Fakes::FakePCSC& pcsc) : ReaderSelectionDialog(context), pcsc_(pcsc) {}

  bool CheckCard(ContextHandle context, CardHandle card) override {
    checkedContexts.push_back(context);
    const std::u16string reader = pcsc_.ReaderOf(card);
    if (reader == u"Broken") throw TAVQ::PCSC::PCSCWin32Exception("SCardTransmit", kRemovedCard);
    if (reader == u"Weird") throw std::runtime_error("not a card exception");
    return reader.rfind(u"Health", 0) == 0;
  }

  std::vector<ContextHandle> checkedContexts;

 private:
  Fakes::FakePCSC& pcsc_;
};

class ReaderSelectionDialogTest : public ::testing::Test {
 protected:
  ReaderSelectionDialogTest() {
    pcsc.SetReaders({u"Other", u"Health A", u"Broken", u"Empty", u"Weird", u"Health B"});
    pcsc.RemoveCard(u"Empty");
  }

  // The chooser records what it was offered and picks `pick`.
  void ChooseWith(std::optional<std::size_t> pick) {
    dialog.chooser = [this, pick](const StringList& readers) {
      offered = readers;
      return pick;
    };
  }

  static PCSCContext Established() {
    PCSCContext established;
    established.Establish(kScopeSystem);
    return established;
  }

  Fakes::FakePCSC pcsc;
  PCSCContext context = Established();  // before the dialog borrows it
  HealthCardDialog dialog{context, pcsc};
  StringList offered{u"(not asked)"};
};

}  // namespace

TEST_F(ReaderSelectionDialogTest, OffersOnlyCardsThatPassTheCheck) {
  ChooseWith(1);
  dialog.Show();
  EXPECT_EQ(offered, (StringList{u"Health A", u"Health B"}));
  EXPECT_EQ(dialog.selectedReader, u"Health B");
  EXPECT_EQ(dialog.activeProtocol, kProtocolT1);
  for (const ContextHandle checked : dialog.checkedContexts) EXPECT_EQ(checked, context.handle());
  // Every card the dialog opened is left again, as it was.
  EXPECT_EQ(pcsc.OpenCards(), 0u);
  for (const auto& call : pcsc.Calls(Call::Disconnect)) EXPECT_EQ(call.disposition, kLeaveCard);
  for (const auto& call : pcsc.Calls(Call::Connect)) {
    EXPECT_EQ(call.shareMode, kShareShared);
    EXPECT_EQ(call.preferredProtocols, kProtocolT0OrT1);
  }
}

TEST_F(ReaderSelectionDialogTest, OneQualifyingCardIsTakenWithoutAskingOnlyWithMinimalUi) {
  pcsc.RemoveCard(u"Health B");
  ChooseWith(std::nullopt);
  dialog.Show();
  EXPECT_EQ(offered, StringList{u"(not asked)"});
  EXPECT_EQ(dialog.selectedReader, u"Health A");
  dialog.flags = 0;
  ChooseWith(0);
  dialog.Show();
  EXPECT_EQ(offered, StringList{u"Health A"});
  EXPECT_EQ(dialog.selectedReader, u"Health A");
}

TEST_F(ReaderSelectionDialogTest, CancelledOrNoCardChoosesNothing) {
  ChooseWith(std::nullopt);
  dialog.Show();
  EXPECT_TRUE(dialog.selectedReader.empty());
  ChooseWith(7);  // not one of the offered readers
  dialog.Show();
  EXPECT_TRUE(dialog.selectedReader.empty());
  EXPECT_EQ(dialog.activeProtocol, 0u);

  pcsc.RemoveCard(u"Health A");
  pcsc.RemoveCard(u"Health B");
  ChooseWith(0);
  offered = {u"(not asked)"};
  dialog.Show();
  EXPECT_EQ(offered, StringList{u"(not asked)"});
  EXPECT_TRUE(dialog.selectedReader.empty());
  EXPECT_EQ(pcsc.OpenCards(), 0u);
}

TEST_F(ReaderSelectionDialogTest, FailingListChoosesNothingFailingDisconnectOfTheChoiceRaises) {
  pcsc.FailNext(Call::ListReaders, kInvalidHandle);
  ChooseWith(0);
  EXPECT_NO_THROW(dialog.Show());
  EXPECT_TRUE(dialog.selectedReader.empty());
  pcsc.RemoveCard(u"Health B");
  pcsc.FailAlways(Call::Disconnect, kRemovedCard);
  EXPECT_EQ(Fakes::CodeOf([&] { dialog.Show(); }), kRemovedCard);
  EXPECT_TRUE(dialog.selectedReader.empty());
  pcsc.FailAlways(Call::Disconnect, 0);
}

TEST(CheckTrampolineTest, AnyExceptionRefusesTheCard) {
  Fakes::FakePCSC pcsc;
  PCSCContext context;
  struct Raising : ReaderSelectionDialog {
    using ReaderSelectionDialog::ReaderSelectionDialog;
    bool CheckCard(ContextHandle, CardHandle card) override {
      if (card == 1) throw SmartCardIO::SCIOException(u"bad");
      if (card == 2) throw 42;
      return true;
    }
  } dialog(context);
  EXPECT_FALSE(ReaderSelectionDialog::CheckTrampoline(dialog, 0, 1));
  EXPECT_FALSE(ReaderSelectionDialog::CheckTrampoline(dialog, 0, 2));
  EXPECT_TRUE(ReaderSelectionDialog::CheckTrampoline(dialog, 0, 3));
  ReaderSelectionDialog plain(context);
  EXPECT_TRUE(ReaderSelectionDialog::CheckTrampoline(plain, 0, 3));
}
