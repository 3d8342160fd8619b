// kavrin-hc's whole job (choose the reader, open the card, read, verify, check the
// origin) in one card session: exactly which commands reach the virtual card, over
// T=1 and T=0.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench.h"

namespace {

using Bench::Exchange;

const std::string kSelectApplication = "00A404000DF38100000253455256535A4B01";

std::string Hex2(std::size_t value) {
  const char* digits = "0123456789ABCDEF";
  return {digits[value >> 4 & 0xF], digits[value & 0xF]};
}

unsigned Byte(const std::string& hex, std::size_t index) { return std::stoul(hex.substr(2 * index, 2), nullptr, 16); }

// The expected command list, built as the protocol does; sizes are taken from the
// card's answers (its signed files differ from bench to bench).
class Expectation {
 public:
  Expectation(bool t0, std::vector<Exchange> log) : t0_(t0), log_(std::move(log)) {}

  // On T=0 without Le, then GET RESPONSE for the length announced (none after a
  // refusal); the answer's data.
  std::string Case4(const std::string& commandWithoutLe) {
    Add(commandWithoutLe + (t0_ ? "" : "00"));
    const std::string answer = Answer();
    if (!t0_ || answer.size() != 4 || answer.substr(0, 2) != "61") return Data(answer);
    Add("00C00000" + answer.substr(2, 2));
    return Data(Answer());
  }
  void Add(const std::string& command) { expected_.push_back(command); }
  // GET DATA without Le: on T=0 with P3 00, then with the length the card named.
  void GetData(const std::string& command) {
    if (!t0_) return Add(command);
    Add(command + "00");
    const std::string wrongLength = Answer();
    if (wrongLength.size() == 4 && wrongLength.substr(0, 2) == "6C") Add(command + wrongLength.substr(2, 2));
  }
  // READ BINARY of length bytes from offset in chunks of at most 128; the data read.
  std::string Read(std::size_t offset, std::size_t length) {
    std::string data;
    for (std::size_t done = 0; done < length;) {
      const std::size_t chunk = std::min<std::size_t>(128, length - done);
      Add("00B0" + Hex2((offset + done) >> 8) + Hex2(offset + done) + Hex2(chunk));
      data += Data(Answer());
      done += chunk;
    }
    return data;
  }
  // SELECT EF, then its block: the first chunk holds the header.
  void Block(const std::string& fileId) {
    const std::size_t efSize = SelectFile(fileId);
    const std::string first = Read(0, std::min<std::size_t>(efSize, 128));
    if (first.size() < 8) return;
    const std::size_t blockSize = 4 + (Byte(first, 2) | Byte(first, 3) << 8);
    if (blockSize > first.size() / 2) Read(first.size() / 2, blockSize - first.size() / 2);
  }
  std::size_t SelectFile(const std::string& fileId) {
    const std::string info = Case4("00A4000002" + fileId);
    return info.size() < 8 ? 0 : Byte(info, 2) << 8 | Byte(info, 3);
  }
  void Signature() {  // the DigestInfo of a fresh challenge: only its length is known
    const std::string sent = expected_.size() < log_.size() ? log_[expected_.size()].command : "";
    const std::string prefix = "002A9E00233021300906052B0E03021A05000414";
    Case4(sent.rfind(prefix, 0) == 0 && sent.size() >= prefix.size() + 40 ? sent.substr(0, prefix.size() + 40)
                                                                            : prefix + "<20 digest bytes>");
  }

  const std::vector<std::string>& commands() const { return expected_; }

 private:
  // The card's answer to the command just added, when the tool sent the same.
  std::string Answer() const {
    const std::size_t at = expected_.size() - 1;
    return at < log_.size() && log_[at].command == expected_[at] ? log_[at].answer : "";
  }
  static std::string Data(const std::string& answer) {
    return answer.size() < 4 ? "" : answer.substr(0, answer.size() - 4);
  }

  bool t0_;
  std::vector<Exchange> log_;
  std::vector<std::string> expected_;
};

using CliSessionTest = ::testing::TestWithParam<const char*>;

TEST_P(CliSessionTest, WholeJobSendsExactlyTheseCommands) {
  const bool t0 = std::string(GetParam()) == "T0";
  Bench::RemoveAllCards();
  Bench::Card(std::string("insert --protocol ") + GetParam());
  ASSERT_EQ(Bench::Hc("read --verify --check-origin --json 2>/dev/null >/dev/null").exitStatus, 0);
  const std::vector<Exchange> log = Bench::Exchanges();
  const std::vector<std::string> sent = Bench::Commands(log);
  Bench::Card("remove");

  Expectation expected(t0, log);
  expected.Case4(kSelectApplication);  // the reader choice: does the card hold a health card?
  expected.Case4(kSelectApplication);  // the session, once
  for (const char* block : {"0D00", "0D01", "0D02", "0D04", "0D03", "0D05", "0D09", "0D06"}) {
    SCOPED_TRACE(block);
    expected.Block(block);
  }
  expected.Case4("00A4040007A0000000030000");  // refused
  expected.Case4("00A4040008A000000003000000");
  expected.GetData("80CA9F7F");
  expected.Case4(kSelectApplication);  // back from the card manager
  expected.Add("002241B60780010284020D08");  // the same on both protocols
  expected.Signature();
  expected.Read(0, expected.SelectFile("0D07"));

  EXPECT_EQ(sent, expected.commands());
  EXPECT_LE(sent.size(), t0 ? 92u : 78u);
}

INSTANTIATE_TEST_SUITE_P(Protocols, CliSessionTest, ::testing::Values("T1", "T0"));

}  // namespace
