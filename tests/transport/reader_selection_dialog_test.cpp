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

struct Bench {
  explicit Bench(const StringList& removed) {
    pcsc.SetReaders({u"Other", u"Health A", u"Broken", u"Empty", u"Weird", u"Health B"});
    for (const auto& reader : removed) pcsc.RemoveCard(reader);
    pcsc.RemoveCard(u"Empty");
  }
  // Shows the dialog with a chooser that records what it was offered and picks `pick`.
  void Show(std::optional<std::size_t> pick) {
    dialog.chooser = [this, pick](const StringList& readers) {
      offered = readers;
      return pick;
    };
    dialog.Show();
  }

  Fakes::FakePCSC pcsc;
  PCSCContext context = [] {  // established before the dialog borrows it
    PCSCContext established;
    established.Establish(kScopeSystem);
    return established;
  }();
  HealthCardDialog dialog{context, pcsc};
  StringList offered{u"(not asked)"};
};

TEST(ReaderSelectionDialogTest, OffersTheCardsThatPassTheCheckAndLeavesThemAll) {
  const StringList both{u"Health A", u"Health B"}, notAsked{u"(not asked)"};
  const struct {
    const char* what;
    StringList removed;
    std::uint32_t flags;
    std::optional<std::size_t> pick;
    Result listFailure;
    StringList offered;
    std::u16string selected;
  } cases[] = {
      {"the second chosen", {}, kDialogMinimalUi, 1, 0, both, u"Health B"},
      {"cancelled", {}, kDialogMinimalUi, std::nullopt, 0, both, u""},
      {"a pick not offered", {}, kDialogMinimalUi, 2, 0, both, u""},
      {"one card, minimal UI: taken unasked", {u"Health B"}, kDialogMinimalUi, std::nullopt, 0, notAsked, u"Health A"},
      {"one card, full UI: asked", {u"Health B"}, 0, 0, 0, {u"Health A"}, u"Health A"},
      {"no card", {u"Health A", u"Health B"}, kDialogMinimalUi, 0, 0, notAsked, u""},
      {"no reader list", {}, kDialogMinimalUi, 0, kInvalidHandle, notAsked, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bench bench(c.removed);
    bench.dialog.flags = c.flags;
    if (c.listFailure != 0) bench.pcsc.FailNext(Call::ListReaders, c.listFailure);
    bench.Show(c.pick);
    EXPECT_EQ(bench.offered, c.offered);
    EXPECT_EQ(bench.dialog.selectedReader, c.selected);
    EXPECT_EQ(bench.dialog.activeProtocol, c.selected.empty() ? 0u : kProtocolT1);
    EXPECT_EQ(bench.pcsc.OpenCards(), 0u);
    for (const auto& call : bench.pcsc.Calls(Call::Disconnect)) EXPECT_EQ(call.disposition, kLeaveCard);
  }
}

TEST(ReaderSelectionDialogTest, OnlyAFailingDisconnectOfTheChosenCardRaises) {
  Bench bench({u"Health B"});
  bench.pcsc.FailAlways(Call::Disconnect, kRemovedCard);
  EXPECT_EQ(Fakes::CodeOf([&] { bench.Show(std::nullopt); }), kRemovedCard);
  EXPECT_TRUE(bench.dialog.selectedReader.empty());
}

}  // namespace
