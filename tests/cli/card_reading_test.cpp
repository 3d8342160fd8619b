// kavrin-hc read at the PC/SC seam: one context for the reader choice and the card, one
// connection and transaction for the card, both applications of card ID any included.
#include "cli/card_reading.h"

#include <gtest/gtest.h>

#include "fakes/fake_pcsc.h"
#include "services/user_notifier.h"

namespace {

using Fakes::Call;
using Fakes::Hex;

TEST(CardReadingTest, ReaderChoiceAndBothApplicationsShareOneContextAndTheCardOneConnection) {
  const TAVQ::ScopedUserNotifier quiet(TAVQ::QuietUserNotifier());
  Fakes::FakePCSC pcsc;
  pcsc.SetReaders({u"Reader A"});
  const std::vector<TAVQ::ByteArray> commands = {
      Hex("00A404000DF38100000253455256535A4B0100"),    // the reader choice: a health card?
      Hex("00A404000DF38100000253455256535A4B0100"),    // the job's session
      Hex("00A40000020D0000"),                          // no header block: not application 1
      Hex("00A404000FF381000002534552534F564F5A4B0100"),  // nor 7, on the same connection
  };
  pcsc.ExpectApdu(commands[0], Hex("9000"));
  pcsc.ExpectApdu(commands[1], Hex("9000"));
  pcsc.ExpectApdu(commands[2], Hex("6A82"));
  pcsc.ExpectApdu(commands[3], Hex("6A82"));

  const Cli::ReadOutcome outcome = Cli::ReadCard(Cli::ReadRequest{});

  EXPECT_EQ(outcome.status, Cli::kExitFailure);
  EXPECT_EQ(outcome.report["error"]["hresult"], "0x80046A82");
  EXPECT_EQ(pcsc.SentCommands(), commands);
  EXPECT_EQ(pcsc.Count(Call::EstablishContext), 1u);
  EXPECT_EQ(pcsc.Count(Call::Connect), 2u);  // the choice's, the job's
  EXPECT_EQ(pcsc.Count(Call::BeginTransaction), 2u);
  EXPECT_EQ(pcsc.OpenContexts() + pcsc.OpenCards() + pcsc.OpenTransactions(), 0u);
}

}  // namespace
