// kavrin-hc against the virtual card through the real pcscd: its JSON, its text and
// its exit statuses. Runs on the bench (tools/bench/with-bench).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "services_bench.h"

using Json = nlohmann::ordered_json;  // keeps the order of the keys as printed

namespace {

const std::vector<std::string> kDocumentKeys = {"InsurerName", "InsurerID", "CardID", "DateOfIssue",
                                                "DateOfExpiry", "ChipSerialNumber", "PrintLanguage"};
const std::vector<std::string> kFixedPersoKeys = {"InsurantNumber", "LastName", "LastNameLatin",
                                                  "FirstName", "FirstNameLatin", "DateOfBirth"};
const std::vector<std::string> kVariablePersoKeys = {"CardID", "DateOfIssue", "DateOfExpiry", "Permanent"};
const char* const kBlocks[] = {"document", "fixedPerso", "variableAdmin", "variablePerso"};

std::vector<std::string> Keys(const Json& object) {
  std::vector<std::string> keys;
  for (const auto& item : object.items()) keys.push_back(item.key());
  return keys;
}

class CliOnBenchTest : public ::testing::Test {
 protected:
  CliOnBenchTest() { Bench::RemoveAllCards(); }
  ~CliOnBenchTest() override { Bench::RemoveAllCards(); }

  // Runs kavrin-hc with the arguments; standard output only.
  static Bench::Run Hc(const std::string& arguments) {
    return Bench::Shell(std::string(KAVRIN_HC) + " " + arguments + " 2>/dev/null");
  }

  // Runs kavrin-hc ... --json and parses its one JSON document.
  static Json HcJson(const std::string& arguments, int expectedStatus) {
    const Bench::Run run = Hc(arguments + " --json");
    EXPECT_EQ(run.exitStatus, expectedStatus) << run.output;
    try {
      return Json::parse(run.output);
    } catch (const Json::exception& e) {
      ADD_FAILURE() << e.what() << "\n" << run.output;
      return Json();
    }
  }
};

TEST_F(CliOnBenchTest, FullReadPrintsFourBlocksFourCertificatesAndTheOrigin) {
  Bench::Card("insert");
  const Json report = HcJson("read --verify --check-origin", 0);
  EXPECT_EQ(Keys(report), (std::vector<std::string>{"reader", "cardId", "document", "fixedPerso", "variableAdmin",
                                                    "variablePerso", "verification", "origin"}));
  EXPECT_EQ(report["reader"], "Virtual PCD 00 00");
  EXPECT_EQ(report["cardId"], 1);
  EXPECT_EQ(Keys(report["document"]), kDocumentKeys);
  EXPECT_EQ(Keys(report["fixedPerso"]), kFixedPersoKeys);
  EXPECT_EQ(Keys(report["variablePerso"]), kVariablePersoKeys);
  EXPECT_EQ(report["variableAdmin"].size(), 36u);

  EXPECT_EQ(report["document"]["InsurerName"], "Фонд здравственог осигурања Каврин");
  EXPECT_EQ(report["document"]["DateOfIssue"], "2021-03-15");
  EXPECT_EQ(report["fixedPerso"]["DateOfBirth"], "1985-09-07");
  EXPECT_EQ(report["variableAdmin"]["Gender"], 2);
  EXPECT_EQ(report["variableAdmin"]["CarrierFamilyMember"], 0);
  EXPECT_EQ(report["variablePerso"]["Permanent"], 0);

  const std::string certificate = report["verification"]["document"]["signerCertificate"];
  EXPECT_GT(certificate.size(), 100u);
  for (const char* block : kBlocks) {
    EXPECT_EQ(report["verification"][block], (Json{{"signerCertificate", certificate}})) << block;
  }
  EXPECT_EQ(report["origin"], "ok");
}

TEST_F(CliOnBenchTest, AbsentOptionalElementsAreNullAndHaveNoPresenceKeys) {
  Bench::Card("insert --image minimal");
  const Json report = HcJson("read", 0);
  const Json& admin = report["variableAdmin"];
  EXPECT_TRUE(admin["ParentName"].is_null());
  EXPECT_TRUE(admin["CarrierFamilyMember"].is_null());
  EXPECT_FALSE(admin.contains("ParentNameSpecified"));
  EXPECT_TRUE(admin["CardID"].is_string());
  EXPECT_FALSE(report.contains("verification"));
  EXPECT_FALSE(report.contains("origin"));
}

TEST_F(CliOnBenchTest, FaultsShowTheExactMessagesAndExitThree) {
  Bench::Card("insert --card-id 7 --fault tamper-block=0D04 --fault bad-aa-signature");
  const Json report = HcJson("read --verify --check-origin --card-id any", 3);
  EXPECT_EQ(report["cardId"], 7);
  EXPECT_EQ(report["verification"]["variableAdmin"],
            (Json{{"error",
                   {{"hresult", "0x80004005"},
                    {"message", "Hash of block with ID 0xD04 does not match the hash in corresponding SOD block"}}}}));
  EXPECT_TRUE(report["verification"]["variablePerso"].contains("signerCertificate"));
  EXPECT_EQ(report["origin"],
            (Json{{"error", {{"hresult", "0x80004005"}, {"message", "Active authentication error"}}}}));
}

TEST_F(CliOnBenchTest, BlockThatCannotBeDecodedIsAnErrorInItsPlace) {
  Bench::Card("insert --fault missing-element=0x0633");
  const Json report = HcJson("read", 3);
  EXPECT_EQ(report["variablePerso"],
            (Json{{"error",
                   {{"hresult", "0x80004005"}, {"message", "Mandatory element with tag 0x0633 not found in block"}}}}));
  EXPECT_TRUE(report["document"].contains("InsurerName"));
}

TEST_F(CliOnBenchTest, WrongApplicationStopsTheWholeRead) {
  Bench::Card("insert --card-id 7");
  const Json report = HcJson("read --card-id 1", 1);
  EXPECT_EQ(report, (Json{{"error", {{"hresult", "0x80046A82"}, {"message", "Card applet returned an error 6A82h"}}}}));
}

TEST_F(CliOnBenchTest, EmptyReaderStopsTheWholeReadWithThePcscCode) {
  Bench::Card("insert");
  const std::string empty = Bench::Card("reader --slot 1");
  const Json report = HcJson("read --reader " + Bench::Quoted(empty), 1);
  ASSERT_TRUE(report.contains("error"));
  EXPECT_EQ(report["error"]["hresult"], "0x8010000C");
}

TEST_F(CliOnBenchTest, NoHealthCardAnywhereMeansNoReaderSelected) {
  const Json report = HcJson("read", 4);
  EXPECT_EQ(report["error"]["hresult"], "0x800704C7");
  EXPECT_EQ(HcJson("select", 4)["error"]["hresult"], "0x800704C7");
}

TEST_F(CliOnBenchTest, ReadersAndSelectNameTheVirtualReaders) {
  Bench::Card("insert --slot 1");
  EXPECT_EQ(HcJson("readers", 0), (Json{{"readers", {"Virtual PCD 00 00", "Virtual PCD 00 01"}}}));
  EXPECT_EQ(HcJson("select", 0), (Json{{"reader", "Virtual PCD 00 01"}}));
  EXPECT_EQ(Hc("select").output, "Virtual PCD 00 01\n");
}

TEST_F(CliOnBenchTest, TextOutputNamesEveryPropertyAndTheOutcome) {
  Bench::Card("insert --protocol T0");
  const Bench::Run run = Hc("read --verify --check-origin");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.output.find("Reader:  Virtual PCD 00 00\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("  ChipSerialNumber  1A2B3C4D5E6F7081\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("  DateOfBirth     1985-09-07\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Origin: ok\n"), std::string::npos) << run.output;
}

TEST_F(CliOnBenchTest, CommandLinesThatCannotBeUnderstoodExitTwoWithTheReasonAndNoCardWork) {
  Bench::Card("insert");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "a command is required"},
      {"scan", "unknown command: scan"},
      {"read --card-id 2", "--card-id must be 1, 7 or any, not: 2"},
      {"read --reader --verify", "--reader needs a value"},
      {"message 0x1FFFFFFFF", "error code out of range: 0x1FFFFFFFF"},
  };
  for (const auto& [arguments, reason] : cases) {
    const Bench::Run run = Bench::Shell(std::string(KAVRIN_HC) + " " + arguments + " 2>&1 >/dev/null");
    EXPECT_EQ(run.exitStatus, 2) << arguments;
    EXPECT_EQ(run.output.rfind("kavrin-hc: " + reason + "\n\nusage: kavrin-hc", 0), 0u) << run.output;
  }
  EXPECT_TRUE(Bench::ApduLog().empty());
}

}  // namespace
