// The fault matrix of a whole read (open, four blocks, four verifications, origin
// check), against the virtual card through the real pcscd:
// - the card pulled before command k, for every k of the job on T=1 and a spread on
//   T=0: exactly the parts that need command k or later fail, cleanly, and a read once
//   the card is back is whole and right;
// - two processes reading the same card at once: every output whole and right;
// - another process resetting the card over and over: no output is wrong.
// The commands of the job are counted on a clean run, never assumed.
#include <gtest/gtest.h>

#include <atomic>
#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "card/card_session.h"
#include "card/zk_card.h"
#include "cli/card_reading.h"
#include "services/doc_read_service.h"
#include "services/service_identity.h"
#include "services/error_record.h"
#include "services/user_notifier.h"
#include "services_bench.h"
#include "support/text.h"
#include "transport/card_channel.h"
#include "transport/pcsc_card_connection.h"
#include "transport/pcsc_constants.h"
#include "transport/pcsc_context.h"

namespace {

using Cli::Json;
using TAVQ::CDocReadService;

// The document service on one card session, as kavrin-hc read runs it: the commands
// of a part here are the commands of that part in the whole read.
class SessionService {
 public:
  CDocReadService& operator*() { return service_; }
  CDocReadService* operator->() { return &service_; }

 private:
  TAVQ::PCSC::PCSCContext context_;  // outlives the session that borrows it
  std::shared_ptr<CardSession> session_;
  CDocReadService service_{TAVQ::DocReadServiceIdentity(), [this](const TAVQ::WString& reader, std::uint16_t id) {
                             if (!session_) {
                               if (!context_.established()) context_.Establish(TAVQ::PCSC::kScopeUser);
                               session_ = std::make_shared<CardSession>(std::make_shared<SmartCardIO::PCSCCardChannel>(
                                   reader, std::make_unique<TAVQ::PCSC::PCSCCardConnection>(reader, context_.Borrow())));
                             }
                             return std::make_unique<ZKCard>(session_, id);
                           }};
};

// One part of the report and the service call that makes it, in the order of a read.
struct Part {
  std::vector<std::string> path;
  std::function<HRESULT(CDocReadService&)> call;
};

template <class Object>
std::function<HRESULT(CDocReadService&)> Read(HRESULT (CDocReadService::*read)(std::unique_ptr<Object>*)) {
  return [read](CDocReadService& service) {
    std::unique_ptr<Object> block;
    return (service.*read)(&block);
  };
}

std::function<HRESULT(CDocReadService&)> Verify(HRESULT (CDocReadService::*verify)(TAVQ::WString*)) {
  return [verify](CDocReadService& service) {
    TAVQ::WString certificate;
    return (service.*verify)(&certificate);
  };
}

const std::vector<Part>& Parts() {
  static const std::vector<Part> parts = {
      {{"document"}, Read(&CDocReadService::ReadZKDocumentData)},
      {{"fixedPerso"}, Read(&CDocReadService::ReadZKFixedPersoData)},
      {{"variableAdmin"}, Read(&CDocReadService::ReadZKVariableAdminData)},
      {{"variablePerso"}, Read(&CDocReadService::ReadZKVariablePersoData)},
      {{"verification", "document"}, Verify(&CDocReadService::VerifyZKDocumentData)},
      {{"verification", "fixedPerso"}, Verify(&CDocReadService::VerifyZKFixedPersoData)},
      {{"verification", "variableAdmin"}, Verify(&CDocReadService::VerifyZKVariableAdminData)},
      {{"verification", "variablePerso"}, Verify(&CDocReadService::VerifyZKVariablePersoData)},
      {{"origin"}, [](CDocReadService& service) { return service.CheckCardOrigin(); }},
  };
  return parts;
}

const Json& At(const Json& report, const std::vector<std::string>& path) {
  const Json* at = &report;
  for (const std::string& key : path) at = &at->at(key);
  return *at;
}

std::vector<std::string> CommandsSoFar() {
  std::vector<std::string> commands;
  for (const std::string& line : Bench::ApduLog()) {
    if (line.rfind("> ", 0) == 0) commands.push_back(line.substr(2));
  }
  return commands;
}

// The file a SELECT EF command (00 A4 00 xx 02 FID) names, or nothing.
std::optional<std::string> SelectedFile(const std::string& command) {
  if (command.rfind("00A400", 0) != 0 || command.size() < 14 || command.substr(8, 2) != "02") return std::nullopt;
  return command.substr(10, 4);
}

// For each file, the command that ends its first reading: the last READ BINARY (or
// GET RESPONSE) that follows its SELECT EF before any other command.
std::map<std::string, std::size_t> FilesReadBy(const std::vector<std::string>& commands) {
  std::map<std::string, std::size_t> readyAt;
  std::optional<std::string> current;
  for (std::size_t i = 0; i < commands.size(); ++i) {
    const std::string instruction = commands[i].substr(2, 2);
    if (const auto file = SelectedFile(commands[i])) {
      current = readyAt.count(*file) != 0 ? std::nullopt : file;
    } else if (instruction != "B0" && instruction != "C0") {
      current.reset();  // another selection or command: what follows reads no file
    }
    if (current && (instruction == "B0" || instruction == "C0")) readyAt[*current] = i + 1;
  }
  return readyAt;
}

// What a clean job sends: in all, the last command of the opening, and for each part
// the last command it needs: its own, and those that first read the files it uses
// (a part served from what an earlier part read fails when that reading did).
struct JobShape {
  std::size_t commands = 0;
  std::size_t openLast = 0;
  std::vector<std::size_t> partNeeds;
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
    Cli::ReadRequest request;
    request.reader = TAVQ::FromUtf8(reader);
    request.cardId = 1;
    request.verify = true;
    request.checkOrigin = true;
    return Cli::ReadCard(request);
  }

  // Runs the job step by step on a clean card, in one session as the whole read does,
  // and notes what each part needs; then each part alone after an opening, to see
  // which files it uses.
  JobShape Measure(const std::string& reader) {
    JobShape shape;
    {
      SessionService service;
      EXPECT_EQ(service->InitCard(TAVQ::FromUtf8(reader), 1), S_OK);
      shape.openLast = CommandsSoFar().size();
      std::size_t before = shape.openLast;
      for (const Part& part : Parts()) {
        EXPECT_EQ(part.call(*service), S_OK) << part.path.back();
        const std::size_t after = CommandsSoFar().size();
        shape.partNeeds.push_back(after > before ? after : 0);
        before = after;
      }
      shape.commands = before;
    }
    const std::vector<std::string> job = CommandsSoFar();
    const std::map<std::string, std::size_t> readyAt = FilesReadBy(job);
    for (std::size_t i = 0; i < Parts().size(); ++i) {
      SessionService service;
      EXPECT_EQ(service->InitCard(TAVQ::FromUtf8(reader), 1), S_OK);
      const std::size_t start = CommandsSoFar().size();
      EXPECT_EQ(Parts()[i].call(*service), S_OK);
      const std::vector<std::string> alone = CommandsSoFar();
      for (std::size_t c = start; c < alone.size(); ++c) {
        const auto file = SelectedFile(alone[c]);
        if (file && readyAt.count(*file) != 0) shape.partNeeds[i] = std::max(shape.partNeeds[i], readyAt.at(*file));
      }
    }
    return shape;
  }

  // A part that failed because the card went: a PC/SC failure, or the empty answer
  // that vpcd gives for a card that hung up while it waited for the answer.
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
        const Json& part = At(cut.report, Parts()[i].path);
        SCOPED_TRACE(Parts()[i].path.back());
        if (shape.partNeeds[i] >= k) {
          ASSERT_TRUE(part.contains("error")) << part.dump();
          ExpectCardGone(part);
        } else {
          EXPECT_EQ(part, At(clean, Parts()[i].path));
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
  const JobShape shape = Measure(reader);
  const Cli::ReadOutcome clean = ReadWhole(reader);
  ASSERT_EQ(clean.status, Cli::kExitSuccess) << clean.report.dump();
  ASSERT_GT(shape.commands, shape.openLast);
  Bench::Card("remove");

  std::vector<std::size_t> positions;
  if (std::string(GetParam()) == "T1") {
    for (std::size_t k = 1; k <= shape.commands; ++k) positions.push_back(k);
  } else {
    // A spread: the first and last commands and those in between at even steps.
    constexpr std::size_t kSpread = 10;
    for (std::size_t i = 0; i < kSpread; ++i) positions.push_back(1 + i * (shape.commands - 1) / (kSpread - 1));
  }
  for (const std::size_t k : positions) CheckRemovalBefore(k, shape, clean.report);
}

INSTANTIATE_TEST_SUITE_P(Protocols, FaultMatrixTest, ::testing::Values("T1", "T0"));

}  // namespace
