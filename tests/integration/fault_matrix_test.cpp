// A whole read against a card that misbehaves: pulled before any command, reset by
// another client, silent, read by two processes at once, in a reset storm.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench.h"
#include "card/zk_card.h"
#include "cli/card_reading.h"
#include "services/error_record.h"
#include "services/user_notifier.h"
#include "support/text.h"

namespace {

using Cli::Json;

// Each part of the report and the files it needs, by the card's layout: its block, and
// the SOD that holds the block's hash. The origin check's own commands end the job.
struct Part {
  Json::json_pointer path;
  std::vector<std::string> files;  // none: it needs the whole job
};

const std::vector<Part>& Parts() {
  static const std::vector<Part> parts = {
      {Json::json_pointer("/document"), {"0D01"}},
      {Json::json_pointer("/fixedPerso"), {"0D02"}},
      {Json::json_pointer("/variableAdmin"), {"0D04"}},
      {Json::json_pointer("/variablePerso"), {"0D03"}},
      {Json::json_pointer("/verification/document"), {"0D01", "0D05"}},
      {Json::json_pointer("/verification/fixedPerso"), {"0D02", "0D05"}},
      {Json::json_pointer("/verification/variableAdmin"), {"0D04", "0D09"}},
      {Json::json_pointer("/verification/variablePerso"), {"0D03", "0D06"}},
      {Json::json_pointer("/origin"), {}},
  };
  return parts;
}

// The file a SELECT EF command (00 A4 00 xx 02 FID) names, or nothing.
std::optional<std::string> SelectedFile(const std::string& command) {
  if (command.rfind("00A400", 0) != 0 || command.size() < 14 || command.substr(8, 2) != "02") return std::nullopt;
  return command.substr(10, 4);
}

// A clean job's commands: their number, the opening's last (the header block read), and
// for each part the last it needs (the last READ BINARY or GET RESPONSE of the first
// reading of each of its files).
struct JobShape {
  std::size_t commands = 0;
  std::size_t openLast = 0;
  std::vector<std::size_t> partNeeds;

  explicit JobShape(const std::vector<std::string>& job) : commands(job.size()) {
    std::map<std::string, std::size_t> readyAt;
    std::optional<std::string> current;
    for (std::size_t i = 0; i < job.size(); ++i) {
      const std::string instruction = job[i].substr(2, 2);
      if (const auto file = SelectedFile(job[i])) {
        current = readyAt.count(*file) != 0 ? std::nullopt : file;
      } else if (instruction != "B0" && instruction != "C0") {
        current.reset();
      }
      if (current && (instruction == "B0" || instruction == "C0")) readyAt[*current] = i + 1;
    }
    openLast = readyAt["0D00"];
    for (const Part& part : Parts()) {
      std::size_t need = part.files.empty() ? commands : 0;
      for (const std::string& file : part.files) need = std::max(need, readyAt[file]);
      partNeeds.push_back(need);
    }
  }
};

class FaultMatrixTest : public ::testing::TestWithParam<const char*> {
 protected:
  FaultMatrixTest() { Bench::RemoveAllCards(); }
  ~FaultMatrixTest() override {
    Bench::RemoveAllCards();
    TAVQ::InstallErrorRecordStore(previous_);
  }

  std::string Insert(const std::string& options) {
    Bench::Card(std::string("insert --timeout 60 --protocol ") + GetParam() + " " + options);
    return Bench::Card("reader");
  }

  static Cli::ReadOutcome ReadWhole(const std::string& reader) {
    return Cli::ReadCard({TAVQ::FromUtf8(reader), 1, true, true, nullptr});
  }

  // A PC/SC failure, or the empty answer vpcd gives for a card that hung up.
  static void ExpectCardGone(const Json& failure) {
    const std::string status = failure["error"]["hresult"];
    const bool pcsc = status.rfind("0x8010", 0) == 0;
    const bool emptyAnswer = failure["error"]["message"] == "The card's answer is shorter than a status word.";
    EXPECT_TRUE(pcsc || emptyAnswer) << failure.dump();
  }

  // The card leaves before command k of the second of two whole reads.
  void CheckRemovalBefore(std::size_t k, const JobShape& shape, const Json& clean) {
    SCOPED_TRACE("card removed before command " + std::to_string(k) + " of " + std::to_string(shape.commands));
    const std::string reader = Insert("--fault remove-after=" + std::to_string(shape.commands + k - 1));
    const Cli::ReadOutcome back = ReadWhole(reader);
    EXPECT_EQ(back.status, Cli::kExitSuccess);
    EXPECT_EQ(back.report, clean) << "the read with the card back";

    const Cli::ReadOutcome cut = ReadWhole(reader);
    if (k <= shape.openLast) {
      EXPECT_EQ(cut.status, Cli::kExitFailure);
      ASSERT_EQ(cut.report.size(), 1u) << cut.report.dump();
      ExpectCardGone(cut.report);
    } else {
      EXPECT_EQ(cut.status, Cli::kExitPartialFailure);
      for (std::size_t i = 0; i < Parts().size(); ++i) {
        const Json& part = cut.report.at(Parts()[i].path);
        SCOPED_TRACE(Parts()[i].path.to_string());
        if (shape.partNeeds[i] >= k) {
          ASSERT_TRUE(part.contains("error")) << part.dump();
          ExpectCardGone(part);
        } else {
          EXPECT_EQ(part, clean.at(Parts()[i].path));
        }
      }
    }
    Bench::Card("remove");
  }

  TAVQ::ThreadErrorRecordStore store_;
  TAVQ::ErrorRecordStore* previous_ = TAVQ::InstallErrorRecordStore(&store_);
  TAVQ::ScopedUserNotifier quiet_{TAVQ::QuietUserNotifier()};
};

TEST_P(FaultMatrixTest, CardPulledBeforeCommandKFailsExactlyThePartsThatNeedIt) {
  const std::string reader = Insert("");
  Bench::Card("log --clear");
  const Cli::ReadOutcome clean = ReadWhole(reader);
  ASSERT_EQ(clean.status, Cli::kExitSuccess) << clean.report.dump();
  const JobShape shape(Bench::Commands());
  ASSERT_GT(shape.commands, shape.openLast);
  ASSERT_GT(shape.openLast, 0u);
  Bench::Card("remove");

  // Every command on T=1, ten from the first to the last on T=0.
  const bool every = std::string(GetParam()) == "T1";
  for (std::size_t i = 0; i < (every ? shape.commands : 10); ++i) {
    CheckRemovalBefore(every ? i + 1 : 1 + i * (shape.commands - 1) / 9, shape, clean.report);
  }
}

TEST_P(FaultMatrixTest, CardResetByAnotherClientIsRecoveredSilently) {
  ZKCard card(TAVQ::FromUtf8(Insert("")), 1);
  Bench::Card("reset");
  EXPECT_NO_THROW(card.ReadBlockBytes(0x0D01));
  EXPECT_NO_THROW(card.VerifyBlock(0x0D01));
}

INSTANTIATE_TEST_SUITE_P(Protocols, FaultMatrixTest, ::testing::Values("T1", "T0"));

class CliFaultsTest : public ::testing::Test {
 protected:
  CliFaultsTest() { Bench::RemoveAllCards(); }
  ~CliFaultsTest() override { Bench::RemoveAllCards(); }

  // Standard output and error together, so that any half output would show.
  static Bench::Run FullRead(const std::string& more = "") {
    return Bench::Hc("read --reader " + Bench::Quoted(Bench::Card("reader")) +
                     " --card-id 1 --verify --check-origin --json" + more + " 2>&1");
  }
};

TEST_F(CliFaultsTest, ACardThatStopsAnsweringEndsTheReadAtTheDeadlineWithNothingHalf) {
  Bench::Card("insert --timeout 60 --fault silent-after=12");
  const auto start = std::chrono::steady_clock::now();
  const Bench::Run run = FullRead(" --timeout 2");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << "the deadline did not end the wait";
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.output,
            "{\n  \"error\": {\n    \"hresult\": \"0x800705B4\",\n"
            "    \"message\": \"The card did not answer within 2 seconds\"\n  }\n}\n");
}

TEST_F(CliFaultsTest, TwoProcessesReadingOneCardAtOnceEachGetTheWholeRightReport) {
  Bench::Card("insert --timeout 60");
  const Bench::Run clean = FullRead();
  ASSERT_EQ(clean.exitStatus, 0) << clean.output;
  const auto reads = [&clean] {
    for (int i = 0; i < 15; ++i) {
      const Bench::Run run = FullRead();
      EXPECT_EQ(run.exitStatus, 0);
      EXPECT_EQ(run.output, clean.output);
    }
  };
  std::thread other(reads);
  reads();
  other.join();
}

TEST_F(CliFaultsTest, AResetStormFromAnotherProgramNeverGivesWrongOutput) {
  Bench::Card("insert --timeout 60");
  const Bench::Run clean = FullRead();
  ASSERT_EQ(clean.exitStatus, 0) << clean.output;
  const Json expected = Json::parse(clean.output);
  std::thread storm([] { Bench::Card("reset --repeat 150 --interval 0.02"); });
  for (int i = 0; i < 10; ++i) {
    const Bench::Run run = FullRead();
    SCOPED_TRACE(run.output);
    const Json report = Json::parse(run.output);
    if (report.contains("error")) {
      EXPECT_EQ(run.exitStatus, 1);
      EXPECT_EQ(report.size(), 1u);
      continue;
    }
    EXPECT_EQ(run.exitStatus, report == expected ? 0 : 3);
    Json same = report;  // failed parts aside, the report is the clean one
    for (const Part& part : Parts()) {
      if (report.at(part.path).contains("error")) same[part.path] = expected.at(part.path);
    }
    EXPECT_EQ(same, expected);
  }
  storm.join();
}

}  // namespace
