// kavrin-hc read at the PC/SC seam: one context for the reader choice and the card, one
// connection and transaction for the card, both applications of card ID any included.
#include "cli/card_reading.h"

#include <gtest/gtest.h>

#include "services/card_dialogue.h"
#include "services/user_notifier.h"

namespace {

using Fakes::Call;
using Fakes::Hex;

class CardReadingTest : public ::testing::Test {
 protected:
  ~CardReadingTest() override {
    EXPECT_TRUE(pcsc_.ScriptDone());
    EXPECT_EQ(pcsc_.Count(Call::EstablishContext), 1u);
    EXPECT_EQ(pcsc_.OpenContexts() + pcsc_.OpenCards() + pcsc_.OpenTransactions(), 0u);
  }

  const TAVQ::ScopedUserNotifier quiet_{TAVQ::QuietUserNotifier()};
  Fakes::FakePCSC pcsc_;
};

TEST_F(CardReadingTest, ReaderChoiceAndBothApplicationsShareOneContextAndTheCardOneConnection) {
  pcsc_.SetReaders({u"Reader A"});
  const std::vector<TAVQ::ByteArray> commands = {
      Hex("00A404000DF38100000253455256535A4B0100"),    // the reader choice: a health card?
      Hex("00A404000DF38100000253455256535A4B0100"),    // the job's session
      Hex("00A40000020D0000"),                          // no header block: not application 1
      Hex("00A404000FF381000002534552534F564F5A4B0100"),  // nor 7, on the same connection
  };
  for (const auto& command : commands) pcsc_.ExpectApdu(command, Hex(command == commands[0] ? "9000" : "6A82"));

  const Cli::ReadOutcome outcome = Cli::ReadCard(Cli::ReadRequest{});

  EXPECT_EQ(outcome.status, Cli::kExitFailure);
  EXPECT_EQ(outcome.report["error"]["hresult"], "0x80046A82");
  EXPECT_EQ(pcsc_.SentCommands(), commands);
  EXPECT_EQ(pcsc_.Count(Call::Connect), 2u);  // the choice's, the job's
  EXPECT_EQ(pcsc_.Count(Call::BeginTransaction), 2u);
}

// Every block, read or not, has its place in the report of a card that opens.
TEST_F(CardReadingTest, ACardThatOpensReportsAllFourBlocks) {
  const TAVQ::ByteArray header = CardDialogue::HeaderBlock(1);  // read whole, once the selection gives its size
  CardDialogue::ExpectSelectApplication(pcsc_, 1);
  pcsc_.ExpectApdu(Hex("00A40000020D0000"), {0x00, 0x00, 0x00, std::uint8_t(header.size()), 0x90, 0x00});
  pcsc_.ExpectApdu({0x00, 0xB0, 0x00, 0x00, std::uint8_t(header.size())}, CardDialogue::Cat(header, {0x90, 0x00}));
  const std::string blocks[] = {"0D01", "0D02", "0D04", "0D03"};
  for (const std::string& block : blocks) {
    if (block != blocks[0]) CardDialogue::ExpectSelectApplication(pcsc_, 1);  // again, after a failed selection
    pcsc_.ExpectApdu("00A4000002" + block + "00", "6A82");
  }
  Cli::ReadRequest request;
  request.reader = u"Reader A";
  const Cli::ReadOutcome outcome = Cli::ReadCard(request);
  const Cli::Json missing = Cli::ErrorJson({static_cast<HRESULT>(0x80046A82u), "Card applet returned an error 6A82h"});
  EXPECT_EQ(outcome.report, (Cli::Json{{"reader", "Reader A"}, {"cardId", 1}, {"document", missing}, {"fixedPerso", missing},
                                       {"variableAdmin", missing}, {"variablePerso", missing}}));
  EXPECT_EQ(outcome.status, Cli::kExitPartialFailure);
}

}  // namespace
