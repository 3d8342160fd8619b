// kavrin-hc against forged and genuine virtual cards over T=0 and T=1: the key file
// bound to the SOD in the origin check, and each signer checked against the bench's
// test CA. Runs on the bench (tools/bench/with-bench).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <string>
#include <vector>

#include "services_bench.h"

using Json = nlohmann::ordered_json;
using testing::MatchesRegex;

namespace {

const char* const kBlocks[] = {"document", "fixedPerso", "variableAdmin", "variablePerso"};

Json Error(const std::string& message) { return Json{{"error", {{"hresult", "0x80004005"}, {"message", message}}}}; }

class CliTrustTest : public testing::TestWithParam<const char*> {
 protected:
  CliTrustTest() { Bench::RemoveAllCards(); }
  ~CliTrustTest() override { Bench::RemoveAllCards(); }

  void Insert(const std::string& fault = "") {
    Bench::Card(std::string("insert --protocol ") + GetParam() + (fault.empty() ? "" : " --fault " + fault));
  }

  static std::string Anchors() { return "--trust-anchors " + Bench::Quoted(Bench::Card("ca")); }

  // kavrin-hc ... --json: its one JSON document, after checking the exit status.
  static Json HcJson(const std::string& arguments, int expectedStatus) {
    const Bench::Run run = Bench::Shell(std::string(KAVRIN_HC) + " " + arguments + " --json 2>/dev/null");
    EXPECT_EQ(run.exitStatus, expectedStatus) << run.output;
    try {
      return Json::parse(run.output);
    } catch (const Json::exception& e) {
      ADD_FAILURE() << e.what() << "\n" << run.output;
      return Json();
    }
  }
};

TEST_P(CliTrustTest, GenuineCardNamesItsSignerAndSaysTrustWasNotChecked) {
  Insert();
  const Json report = HcJson("read --verify --check-origin", 0);
  for (const char* block : kBlocks) {
    SCOPED_TRACE(block);
    const Json& verification = report["verification"][block];
    ASSERT_TRUE(verification.contains("signerCertificate")) << verification;
    const Json& signer = verification["signer"];
    EXPECT_EQ(signer["subject"], "CN=kavrin-hc test document signer,O=kavrin-hc test bench,C=XK");
    EXPECT_EQ(signer["issuer"], "CN=kavrin-hc test CA,O=kavrin-hc test bench,C=XK");
    EXPECT_THAT(signer["notAfter"].get<std::string>(), MatchesRegex("20[0-9][0-9]-[01][0-9]-[0-3][0-9]T[0-9:]+Z"));
    EXPECT_TRUE(signer["trusted"].is_null());
  }
  EXPECT_EQ(report["origin"], "ok");
}

TEST_P(CliTrustTest, GenuineCardIsTrustedUnderTheBenchCa) {
  Insert();
  const Json report = HcJson("read --verify --check-origin " + Anchors(), 0);
  for (const char* block : kBlocks) EXPECT_EQ(report["verification"][block]["signer"]["trusted"], true) << block;
  EXPECT_EQ(report["origin"], "ok");

  const Bench::Run text = Bench::Shell(std::string(KAVRIN_HC) + " read --verify --check-origin " + Anchors());
  EXPECT_EQ(text.exitStatus, 0);
  EXPECT_THAT(text.output, testing::HasSubstr("  Signer: CN=kavrin-hc test document signer,O=kavrin-hc test "
                                              "bench,C=XK\n    issued by   CN=kavrin-hc test CA,"));
  EXPECT_THAT(text.output,
              testing::EndsWith("\nThe card was read, verified by a trusted signer and origin-checked.\n"));
}

TEST_P(CliTrustTest, ClonedChipFailsTheOriginCheckOnTheKeyHash) {
  Insert("cloned-chip");
  const Json report = HcJson("read --verify --check-origin " + Anchors(), 3);
  EXPECT_EQ(report["origin"], Error("Hash of block with ID 0xD07 does not match the hash in corresponding SOD block"));
  // Everything but the chip is the genuine card's.
  for (const char* block : kBlocks) EXPECT_EQ(report["verification"][block]["signer"]["trusted"], true) << block;
}

TEST_P(CliTrustTest, SignersThatDoNotChainToTheAnchorFailEveryBlock) {
  const std::vector<std::pair<std::string, std::string>> faults = {
      {"other-ca", "unable to get local issuer certificate"},
      {"expired-signer", "certificate has expired"},
  };
  for (const auto& [fault, reason] : faults) {
    SCOPED_TRACE(fault);
    Insert(fault);
    const Json report = HcJson("read --verify " + Anchors(), 3);
    for (const char* block : kBlocks) {
      EXPECT_EQ(report["verification"][block], Error("The SOD signer certificate is not trusted: " + reason)) << block;
    }
    EXPECT_TRUE(report["document"].contains("InsurerName"));
    // Without anchors the same card verifies: nothing but trust is wrong with it.
    const Json unchecked = HcJson("read --verify", 0);
    for (const char* block : kBlocks) EXPECT_TRUE(unchecked["verification"][block]["signer"]["trusted"].is_null());
    Bench::RemoveAllCards();
  }
}

TEST_P(CliTrustTest, AnchorsFileThatCannotServeStopsTheReadBeforeAnyCardWork) {
  Insert();
  Bench::Card("log --clear");
  const Json missing = HcJson("read --verify --trust-anchors /nonexistent/ca.pem", 1);
  EXPECT_EQ(missing, Error("Cannot read the trust anchors file /nonexistent/ca.pem: No such file or directory"));
  const std::string notPem = std::string(std::getenv("KAVRIN_BENCH_DIR")) + "/not-a-certificate.pem";
  Bench::Shell("echo 'no certificate here' > " + Bench::Quoted(notPem));
  const Json noCertificate = HcJson("read --verify --trust-anchors " + Bench::Quoted(notPem), 1);
  EXPECT_EQ(noCertificate, Error("Trust anchors file " + notPem + ": The trust anchors hold no certificate"));
  EXPECT_TRUE(Bench::ApduLog().empty());
}

INSTANTIATE_TEST_SUITE_P(Protocols, CliTrustTest, testing::Values("T0", "T1"));

}  // namespace
