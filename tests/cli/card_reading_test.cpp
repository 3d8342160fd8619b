// kavrin-hc read at the PC/SC seam: one context for the reader choice and the card, one
// connection and transaction for the card, both applications of card ID any included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/card_reading.h"
#include "fakes/fake_pcsc.h"
#include "services/user_notifier.h"

namespace {

using Fakes::Call;

const char* const kSelectApplication1 = "00A404000DF38100000253455256535A4B0100";
const char* const kSelectApplication7 = "00A404000FF381000002534552534F564F5A4B0100";

std::string Hex(const TAVQ::ByteArray& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (std::uint8_t b : bytes) text += {digits[b >> 4], digits[b & 0xF]};
  return text;
}

TEST(CardReadingTest, ReaderChoiceAndBothApplicationsShareOneContextAndTheCardOneConnection) {
  TAVQ::ScopedUserNotifier quiet(TAVQ::QuietUserNotifier());
  Fakes::FakePCSC pcsc;
  pcsc.SetReaders({u"Reader A"});
  pcsc.ExpectApdu(kSelectApplication1, "9000");        // the reader choice: a health card?
  pcsc.ExpectApdu(kSelectApplication1, "9000");        // the job's session
  pcsc.ExpectApdu("00A40000020D0000", "6A82");         // no header block: not application 1
  pcsc.ExpectApdu(kSelectApplication7, "6A82");        // nor 7, on the same connection

  const Cli::ReadOutcome outcome = Cli::ReadCard(Cli::ReadRequest{});

  EXPECT_EQ(outcome.status, Cli::kExitFailure);
  EXPECT_EQ(outcome.report["error"]["hresult"], "0x80046A82");
  EXPECT_TRUE(pcsc.ScriptDone());
  std::vector<std::string> sent;
  for (const TAVQ::ByteArray& command : pcsc.SentCommands()) sent.push_back(Hex(command));
  EXPECT_EQ(sent, (std::vector<std::string>{kSelectApplication1, kSelectApplication1, "00A40000020D0000",
                                            kSelectApplication7}));
  EXPECT_EQ(pcsc.Count(Call::EstablishContext), 1u);
  EXPECT_EQ(pcsc.Count(Call::Connect), 2u);  // the choice's, the job's
  EXPECT_EQ(pcsc.Count(Call::BeginTransaction), 2u);
  EXPECT_EQ(pcsc.OpenContexts(), 0u);
  EXPECT_EQ(pcsc.OpenCards(), 0u);
  EXPECT_EQ(pcsc.OpenTransactions(), 0u);
}

}  // namespace
