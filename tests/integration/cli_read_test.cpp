// kavrin-hc on the virtual card through the real pcscd, over T=0 and T=1: the report
// of a genuine card, a fault of each kind in its place with the rest of the report
// right (each fault's message is the card unit tests'), and the answers that stop a
// whole read.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include "bench.h"

namespace {

using Json = nlohmann::ordered_json;  // keeps the order of the keys as printed
using Pointer = Json::json_pointer;

const char* const kBlocks[] = {"document", "fixedPerso", "variableAdmin", "variablePerso"};
const std::vector<std::string> kAllParts = {
    "/document", "/fixedPerso", "/variableAdmin", "/variablePerso", "/verification/document",
    "/verification/fixedPerso", "/verification/variableAdmin", "/verification/variablePerso", "/origin"};

Json Error(const std::string& message, const std::string& hresult = "0x80004005") {
  return Json{{"error", {{"hresult", hresult}, {"message", message}}}};
}

class CliReadTest : public testing::TestWithParam<const char*> {
 protected:
  CliReadTest() { Bench::RemoveAllCards(); }
  ~CliReadTest() override { Bench::RemoveAllCards(); }

  void Insert(const std::string& options = "") {
    Bench::Card(std::string("insert --protocol ") + GetParam() + " " + options);
  }
  static std::string Anchors() { return " --trust-anchors " + Bench::Quoted(Bench::Card("ca")); }
  // kavrin-hc ... --json: its one JSON document, after checking the exit status.
  static Json HcJson(const std::string& arguments, int expectedStatus) {
    const Bench::Run run = Bench::Hc(arguments + " --json 2>/dev/null </dev/null");
    EXPECT_EQ(run.exitStatus, expectedStatus) << arguments << "\n" << run.output;
    return Json::parse(run.output, nullptr, false);
  }
};

TEST_P(CliReadTest, GenuineCardIsReadVerifiedTrustedAndOriginChecked) {
  for (const int cardId : {1, 7}) {
    SCOPED_TRACE(cardId);
    Insert("--card-id " + std::to_string(cardId));
    const Json report = HcJson("read --verify --check-origin --card-id any" + Anchors(), 0);
    EXPECT_EQ(report["reader"], "Virtual PCD 00 00");
    EXPECT_EQ(report["cardId"], cardId);
    EXPECT_EQ(report["document"]["InsurerName"], "Фонд здравственог осигурања Каврин");
    EXPECT_EQ(report["document"]["ChipSerialNumber"], "1A2B3C4D5E6F7081");
    EXPECT_EQ(report["fixedPerso"]["LastNameLatin"], "Milutinović");
    EXPECT_EQ(report["fixedPerso"]["DateOfBirth"], "1985-09-07");
    EXPECT_EQ(report["variableAdmin"]["Gender"], 2);
    const Json& verification = report["verification"];
    EXPECT_GT(verification["document"]["signerCertificate"].get<std::string>().size(), 100u);
    EXPECT_EQ(verification["document"]["signer"]["subject"],
              "CN=kavrin-hc test document signer,O=kavrin-hc test bench,C=XK");
    EXPECT_EQ(verification["document"]["signer"]["trusted"], true);
    for (const char* block : kBlocks) EXPECT_EQ(verification[block], verification["document"]) << block;
    EXPECT_EQ(report["origin"], "ok");
    Bench::Card("remove");
  }
}

TEST_P(CliReadTest, EachFaultFailsItsPartsWithItsMessageAndLeavesTheRestRight) {
  const std::vector<std::string> verifications(kAllParts.begin() + 4, kAllParts.end() - 1);
  const struct {
    std::string fault;
    std::vector<std::string> failing;
    std::string message;
    std::string tampered = "";  // the block whose data the fault changed
  } cases[] = {
      {"tamper-block=0D03", {"/verification/variablePerso"},
       "Hash of block with ID 0xD03 does not match the hash in corresponding SOD block", "/variablePerso"},
      {"bad-sod-signature", {"/verification/document", "/verification/fixedPerso", "/origin"},
       "PKCS7 structure has invalid signature"},
      {"cloned-chip", {"/origin"}, "Hash of block with ID 0xD07 does not match the hash in corresponding SOD block"},
      {"chip-serial-mismatch", {"/origin"},
       "Chip serial number (1A2B3C4D5E6F707E) is not equal to chip serial number written in document block "
       "(1A2B3C4D5E6F7081)."},
      {"header-tag-mismatch=0D01", {"/document", "/verification/document", "/origin"},
       "Tag value 0xD02 in read data block is different from required value 0xD01"},
      {"missing-element=0x0633", {"/variablePerso"}, "Mandatory element with tag 0x0633 not found in block"},
      // Only here: the signer's validity against the clock.
      {"expired-signer", verifications, "The SOD signer certificate is not trusted: certificate has expired"},
  };
  const std::string read = "read --verify --check-origin" + Anchors();
  Insert();
  const Json clean = HcJson(read, 0);
  Bench::Card("remove");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    Insert("--fault " + c.fault);
    const Json report = HcJson(read, 3);
    for (const std::string& part : kAllParts) {
      const bool fails = std::find(c.failing.begin(), c.failing.end(), part) != c.failing.end();
      const Json& got = report.at(Pointer(part));
      if (part == c.tampered) {
        EXPECT_NE(got, clean.at(Pointer(part)));
      } else {
        EXPECT_EQ(got, fails ? Error(c.message) : clean.at(Pointer(part))) << part;
      }
    }
    Bench::Card("remove");
  }
}

TEST_P(CliReadTest, AnswersThatStopAWholeReadOrNameTheReaders) {
  const std::string noCard = "No reader holds a health card.";
  const std::string several =
      "Several readers hold a health card and there is no terminal to ask which: name one with --reader.";
  const struct {
    std::vector<const char*> slots;
    std::string arguments;
    int status;
    Json answer;
  } cases[] = {
      {{"1"}, "readers", 0, Json{{"readers", {"Virtual PCD 00 00", "Virtual PCD 00 01"}}}},
      {{"1"}, "select", 0, Json{{"reader", "Virtual PCD 00 01"}}},
      {{}, "read", 4, Error(noCard, "0x800704C7")},
      {{"0", "1"}, "read", 4, Error(several, "0x800704C7")},
      {{"0"}, "read --reader 'Virtual PCD 00 01'", 1, Error("No smart card inserted.", "0x8010000C")},
      {{"0"}, "read --reader " + std::string(128, 'R'), 1, Error("Unknown reader specified.", "0x80100009")},
      {{"0"}, "read --reader " + std::string(129, 'R'), 1,
       Error("The reader name is too long: 129 bytes, PC/SC takes at most 128.", "0x80100011")},
      {{"0"}, "read --verify --trust-anchors /nonexistent/ca.pem", 1,
       Error("Cannot read the trust anchors file /nonexistent/ca.pem: No such file or directory")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    for (const char* slot : c.slots) Insert(std::string("--slot ") + slot);
    EXPECT_EQ(HcJson(c.arguments, c.status), c.answer);
    Bench::RemoveAllCards();
  }
}

INSTANTIATE_TEST_SUITE_P(Protocols, CliReadTest, testing::Values("T0", "T1"));

}  // namespace
