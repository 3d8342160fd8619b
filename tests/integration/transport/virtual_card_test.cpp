// The transport against the virtual card through the real pcscd, over T=0 and T=1.
// Runs on the bench (tools/bench/with-bench), which provides pcscd and the card tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "support/exception.h"
#include "support/text.h"
#include "transport/card_channel.h"
#include "transport/pcsc_card_connection.h"
#include "transport/pcsc_context.h"

using SmartCardIO::CommandAPDU;
using SmartCardIO::ResponseAPDU;
using TAVQ::ByteArray;
using namespace TAVQ::PCSC;

namespace {

const std::string kCardTool = std::string(KAVRIN_SOURCE_DIR) + "/tools/bench/card";
const ByteArray kApplication = TAVQ::FromHexString(u"F38100000253455256535A4B01");
const ByteArray kCardManager = TAVQ::FromHexString(u"A000000003000000");

// Runs the bench's card tool; its standard output, or a test failure.
std::string Bench(const std::string& arguments) {
  const std::string command = kCardTool + " " + arguments;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) {
    ADD_FAILURE() << "cannot run " << command;
    return {};
  }
  std::string output;
  std::array<char, 256> chunk{};
  while (std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe.get()) != nullptr) output += chunk.data();
  const int status = pclose(pipe.release());
  EXPECT_EQ(status, 0) << command;
  while (!output.empty() && output.back() == '\n') output.pop_back();
  return output;
}

std::vector<std::string> ApduLog() {
  std::vector<std::string> lines;
  const std::string log = Bench("log");
  for (std::size_t start = 0; start < log.size();) {
    const std::size_t end = std::min(log.find('\n', start), log.size());
    lines.push_back(log.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

class VirtualCardTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    Bench("remove");
    Bench(std::string("insert --protocol ") + GetParam());
    reader = TAVQ::FromNarrow(Bench("reader"));
    ASSERT_FALSE(reader.empty());
    channel = std::make_unique<SmartCardIO::PCSCCardChannel>(reader, std::make_unique<PCSCCardConnection>(reader));
  }

  void TearDown() override {
    channel.reset();
    Bench("remove");
  }

  std::uint32_t ExpectedProtocol() const { return std::string(GetParam()) == "T0" ? kProtocolT0 : kProtocolT1; }

  ResponseAPDU SelectApplication() {
    return channel->Transmit(CommandAPDU(0x00, 0xA4, 0x04, 0x00, kApplication, 0, false));
  }

  TAVQ::WString reader;
  std::unique_ptr<SmartCardIO::PCSCCardChannel> channel;
};

}  // namespace

TEST_P(VirtualCardTest, SelectsAndReadsTheHeaderBlock) {
  channel->Connect();
  channel->BeginTransaction();
  EXPECT_EQ(channel->GetProtocol(), ExpectedProtocol());

  const ResponseAPDU selected = SelectApplication();
  EXPECT_EQ(selected.sw(), 0x9000);
  ASSERT_GE(selected.data().size(), 4u);
  EXPECT_EQ(selected.data()[0], 0x6F);  // FCI template

  EXPECT_EQ(channel->Transmit(CommandAPDU(0x00, 0xA4, 0x00, 0x00, ByteArray{0x0D, 0x00}, 0, false)).sw(), 0x9000);
  const ResponseAPDU header = channel->Transmit(CommandAPDU(0x00, 0xB0, 0x00, 0x00, 4, false));
  header.CheckStatusWord();
  ASSERT_EQ(header.data().size(), 4u);
  EXPECT_EQ(header.data()[0], 0x00);  // the header block's tag 0x0D00, least significant byte first
  EXPECT_EQ(header.data()[1], 0x0D);

  channel->EndTransaction();
  channel->Disconnect(kLeaveCard);
}

TEST_P(VirtualCardTest, CaseFourTravelsAsTheProtocolRequires) {
  channel->Connect();
  const std::size_t before = ApduLog().size();
  SelectApplication().CheckStatusWord();
  const std::vector<std::string> log = ApduLog();
  const std::vector<std::string> exchanges(log.begin() + static_cast<std::ptrdiff_t>(before), log.end());
  const std::string aid = "F38100000253455256535A4B01";
  if (ExpectedProtocol() == kProtocolT0) {
    ASSERT_EQ(exchanges.size(), 4u);
    EXPECT_EQ(exchanges[0], "> 00A404000D" + aid);  // no Le over T=0
    EXPECT_EQ(exchanges[1].substr(0, 4), "< 61");
    EXPECT_EQ(exchanges[2], "> 00C00000" + exchanges[1].substr(4, 2));
  } else {
    ASSERT_EQ(exchanges.size(), 2u);
    EXPECT_EQ(exchanges[0], "> 00A404000D" + aid + "00");
  }
  channel->Disconnect(kLeaveCard);
}

TEST_P(VirtualCardTest, WrongLengthIsAskedAgainWithTheCardsLength) {
  channel->Connect();
  channel->Transmit(CommandAPDU(0x00, 0xA4, 0x04, 0x00, kCardManager, 0, false));
  const std::size_t before = ApduLog().size();
  // The production data are 45 (0x2D) bytes: asking for 16 makes the card name its length.
  const ResponseAPDU data = channel->Transmit(CommandAPDU(0x80, 0xCA, 0x9F, 0x7F, 0x10, false));
  EXPECT_EQ(data.sw(), 0x9000);
  EXPECT_EQ(data.data().size(), 45u);
  const std::vector<std::string> log = ApduLog();
  const std::vector<std::string> exchanges(log.begin() + static_cast<std::ptrdiff_t>(before), log.end());
  ASSERT_EQ(exchanges.size(), 4u);
  EXPECT_EQ(exchanges[0], "> 80CA9F7F10");
  EXPECT_EQ(exchanges[1], "< 6C2D");
  EXPECT_EQ(exchanges[2], "> 80CA9F7F2D");
  channel->Disconnect(kLeaveCard);
}

TEST_P(VirtualCardTest, CardResetByAnotherClientIsReconnectedSilently) {
  channel->Connect();
  channel->BeginTransaction();
  channel->EndTransaction();
  Bench("reset");
  channel->BeginTransaction();
  EXPECT_EQ(SelectApplication().sw(), 0x9000);
  channel->EndTransaction();
  channel->Disconnect(kLeaveCard);
}

TEST_P(VirtualCardTest, MissingReaderIsAPCSCError) {
  PCSCCardConnection connection(u"No Such Reader 99");
  try {
    connection.Connect();
    FAIL() << "connected to a reader that does not exist";
  } catch (const PCSCWin32Exception& e) {
    EXPECT_EQ(e.errorCode, kUnknownReader);
  }
}

INSTANTIATE_TEST_SUITE_P(Protocols, VirtualCardTest, ::testing::Values("T0", "T1"));
