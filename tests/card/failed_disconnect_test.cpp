// A card operation whose closing disconnect fails keeps the card object usable: the
// failure is swallowed, and the next operation connects afresh.
#include <gtest/gtest.h>

#include "card/zk_card.h"
#include "card_script.h"
#include "support/exception.h"
#include "support/text.h"

using namespace CardScript;
using Fakes::Call;
using Fakes::FakePCSC;

namespace {

TEST(CardAfterFailedDisconnect, TheNextReadConnectsAfresh) {
  FakePCSC pcsc;
  ExpectBlockRead(pcsc, HeaderBlock(1, {0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04}));
  ZKCard card(u"Virtual Reader 0", 1);

  const ByteArray first = FillerBlock(0x0D01, 20);
  ExpectBlockRead(pcsc, first);
  pcsc.FailNext(Call::Disconnect, TAVQ::PCSC::kRemovedCard);
  EXPECT_EQ(card.ReadBlockBytes(0x0D01), first);

  const ByteArray second = FillerBlock(0x0D02, 30);
  ExpectBlockRead(pcsc, second);
  ByteArray read;
  try {
    read = card.ReadBlockBytes(0x0D02);
  } catch (const TAVQ::Exception& e) {
    ADD_FAILURE() << "second read raised: " << TAVQ::ToNarrow(e.message);
  }
  EXPECT_EQ(read, second);
  EXPECT_TRUE(pcsc.ScriptDone());
  EXPECT_EQ(pcsc.Count(Call::Connect), 3u);
  EXPECT_EQ(pcsc.OpenTransactions(), 0u);
}

}  // namespace
