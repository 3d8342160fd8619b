// kavrin-hc against a card that misbehaves, as separate processes: a card that stops
// answering, two readers of one card at once, a card reset by another program over
// and over, no reader with a health card, a reader name PC/SC refuses.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "services_bench.h"

namespace {

using Json = nlohmann::ordered_json;

const char* const kParts[][2] = {
    {"document", nullptr},
    {"fixedPerso", nullptr},
    {"variableAdmin", nullptr},
    {"variablePerso", nullptr},
    {"verification", "document"},
    {"verification", "fixedPerso"},
    {"verification", "variableAdmin"},
    {"verification", "variablePerso"},
    {"origin", nullptr},
};

class CliFaultsTest : public ::testing::Test {
 protected:
  CliFaultsTest() { Bench::RemoveAllCards(); }
  ~CliFaultsTest() override { Bench::RemoveAllCards(); }

  // kavrin-hc with the arguments; standard output and error together, so that any
  // half output would show.
  static Bench::Run Hc(const std::string& arguments) {
    return Bench::Shell(std::string(KAVRIN_HC) + " " + arguments + " 2>&1");
  }
  static std::string FullRead(const std::string& reader) {
    return "read --reader " + Bench::Quoted(reader) + " --card-id 1 --verify --check-origin --json";
  }
};

TEST_F(CliFaultsTest, ACardThatStopsAnsweringEndsTheReadAtTheDeadlineWithNothingHalf) {
  const struct {
    const char* format;
    std::string expected;
  } cases[] = {
      {"", "kavrin-hc: The card did not answer within 2 seconds (0x800705B4)\n"},
      {" --json",
       "{\n  \"error\": {\n    \"hresult\": \"0x800705B4\",\n"
       "    \"message\": \"The card did not answer within 2 seconds\"\n  }\n}\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    // Silent in the middle of the document block's reading.
    Bench::Card("insert --timeout 60 --fault silent-after=12");
    const std::string reader = Bench::Card("reader");
    const auto start = std::chrono::steady_clock::now();
    const Bench::Run run = Hc("read --reader " + Bench::Quoted(reader) + " --verify --timeout 2" + c.format);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.output, c.expected);
    EXPECT_LT(waited, std::chrono::seconds(30)) << "the deadline did not end the wait";
    Bench::Card("remove");
  }
}

TEST_F(CliFaultsTest, TwoProcessesReadingOneCardAtOnceEachGetTheWholeRightReport) {
  Bench::Card("insert --timeout 60");
  const std::string command = FullRead(Bench::Card("reader"));
  const Bench::Run clean = Hc(command);
  ASSERT_EQ(clean.exitStatus, 0) << clean.output;

  constexpr int kReads = 15;
  std::vector<Bench::Run> runs[2];
  std::thread other([&] {
    for (int i = 0; i < kReads; ++i) runs[1].push_back(Hc(command));
  });
  for (int i = 0; i < kReads; ++i) runs[0].push_back(Hc(command));
  other.join();
  for (const auto& process : runs) {
    for (const Bench::Run& run : process) {
      EXPECT_EQ(run.exitStatus, 0);
      EXPECT_EQ(run.output, clean.output);
    }
  }
}

TEST_F(CliFaultsTest, AResetStormFromAnotherProgramNeverGivesWrongOutput) {
  Bench::Card("insert --timeout 60");
  const std::string reader = Bench::Card("reader");
  const Bench::Run clean = Hc(FullRead(reader));
  ASSERT_EQ(clean.exitStatus, 0) << clean.output;
  const Json expected = Json::parse(clean.output);

  std::thread storm([] { Bench::Card("reset --repeat 150 --interval 0.02"); });
  for (int i = 0; i < 10; ++i) {
    const Bench::Run run = Hc(FullRead(reader));
    SCOPED_TRACE(run.output);
    const Json report = Json::parse(run.output);
    if (report.contains("error")) {
      EXPECT_EQ(run.exitStatus, 1);
      EXPECT_EQ(report.size(), 1u);
      continue;
    }
    EXPECT_EQ(run.exitStatus, report == expected ? 0 : 3);
    EXPECT_EQ(report["reader"], expected["reader"]);
    EXPECT_EQ(report["cardId"], expected["cardId"]);
    for (const auto& path : kParts) {
      const Json& part = path[1] ? report.at(path[0]).at(path[1]) : report.at(path[0]);
      const Json& right = path[1] ? expected.at(path[0]).at(path[1]) : expected.at(path[0]);
      if (!part.contains("error")) {
        EXPECT_EQ(part, right) << path[0];
      }
    }
  }
  storm.join();
}

TEST_F(CliFaultsTest, NoReaderSelectedSaysWhetherNoneHeldAHealthCardOrNobodyChose) {
  const struct {
    const char* cards;  // slots to fill, "" for none
    std::string message;
  } cases[] = {
      {"", "No reader holds a health card."},
      {"01",
       "Several readers hold a health card and there is no terminal to ask which: name one with --reader."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    for (const char* slot = c.cards; *slot != '\0'; ++slot) Bench::Card(std::string("insert --slot ") + *slot);
    const Bench::Run select = Hc("select </dev/null");
    EXPECT_EQ(select.exitStatus, 4);
    EXPECT_EQ(select.output, "kavrin-hc: " + c.message + " (0x800704C7)\n");
    const Bench::Run read = Hc("read --json </dev/null");
    EXPECT_EQ(read.exitStatus, 4);
    EXPECT_EQ(Json::parse(read.output)["error"]["message"], c.message);
    Bench::RemoveAllCards();
  }
}

TEST_F(CliFaultsTest, AReaderNameTooLongForPcscSaysSo) {
  Bench::Card("insert --timeout 60");
  const struct {
    std::size_t length;
    std::string message;  // empty: the usual unknown-reader failure
  } cases[] = {
      {128, ""},
      {129, "The reader name is too long: 129 bytes, PC/SC takes at most 128."},
      {300, "The reader name is too long: 300 bytes, PC/SC takes at most 128."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    const Bench::Run run = Hc("read --json --reader " + std::string(c.length, 'R'));
    EXPECT_EQ(run.exitStatus, 1);
    const Json error = Json::parse(run.output)["error"];
    if (c.message.empty()) {
      EXPECT_NE(error["message"].get<std::string>().find("nknown"), std::string::npos) << error.dump();
    } else {
      EXPECT_EQ(error["message"], c.message);
    }
  }
}

}  // namespace
