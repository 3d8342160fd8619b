// The signer and trust parts of `kavrin-hc read`: the option, the report's signer
// lines, code meanings and the closing line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/text_report.h"

using namespace Cli;

namespace {

Json Error(const char* message) { return Json{{"error", Json{{"hresult", "0x80004005"}, {"message", message}}}}; }

Json Signer(const char* subject, Json trusted) {
  return Json{
      {"subject", subject}, {"issuer", "CN=Test CA"}, {"notAfter", "2036-03-04T05:06:07Z"}, {"trusted", trusted}};
}

Json Verified(const Json& signer) { return Json{{"signerCertificate", "TUlJ"}, {"signer", signer}}; }

Json Report(bool withVerification, bool withOrigin) {
  Json report = {{"reader", "R"},
                 {"cardId", 1},
                 {"document", Json::object()},
                 {"fixedPerso", Json::object()},
                 {"variableAdmin", Json{{"InsuranceBasisRZZOCode", "0101"},
                                        {"InsuranceBasisRZZO", "Employed"},
                                        {"CarrierFamilyMember", 1},
                                        {"CountryCode", "KVR"},
                                        {"Country", nullptr},
                                        {"Gender", 2}}},
                 {"variablePerso", Json{{"Permanent", 0}}}};
  if (withVerification) {
    const Json signer = Signer("CN=Signer", nullptr);
    report["verification"] = Json{{"document", Verified(signer)},
                                  {"fixedPerso", Verified(signer)},
                                  {"variableAdmin", Verified(signer)},
                                  {"variablePerso", Verified(signer)}};
  }
  if (withOrigin) report["origin"] = "ok";
  return report;
}

std::string LastLine(const std::string& text) {
  const std::size_t end = text.size() - 1;
  return text.substr(text.rfind('\n', end - 1) + 1, end - text.rfind('\n', end - 1) - 1);
}

TEST(TrustOptionsTest, TrustAnchorsNeedAFileAndVerification) {
  const Options options = ParseOptions({"read", "--verify", "--trust-anchors", "ca.pem"});
  EXPECT_EQ(options.trustAnchors, "ca.pem");
  EXPECT_EQ(ParseOptions({"read", "--trust-anchors=a b.pem", "--verify"}).trustAnchors, "a b.pem");
  EXPECT_EQ(ParseOptions({"read", "--verify"}).trustAnchors, std::nullopt);

  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"read", "--trust-anchors", "ca.pem"}, "--trust-anchors needs --verify"},
      {{"read", "--verify", "--trust-anchors"}, "--trust-anchors needs a value"},
      {{"read", "--verify", "--trust-anchors", "--json"}, "--trust-anchors needs a value"},
      {{"read", "--verify", "--trust-anchors="}, "--trust-anchors needs a file name"},
      {{"readers", "--trust-anchors", "ca.pem"}, "unexpected argument: --trust-anchors"},
  };
  for (const auto& [arguments, reason] : refused) {
    SCOPED_TRACE(reason);
    try {
      ParseOptions(arguments);
      ADD_FAILURE() << "accepted";
    } catch (const UsageError& e) {
      EXPECT_EQ(std::string(e.what()), reason);
    }
  }
}

TEST(TrustReportTest, OneSignerIsNamedOnceWithWhetherItWasChecked) {
  Json report = Report(true, true);
  const std::string unchecked = TextReport(report);
  EXPECT_NE(unchecked.find("  Variable personal data: verified\n"
                           "  Signer: CN=Signer\n"
                           "    issued by   CN=Test CA\n"
                           "    valid until 2036-03-04T05:06:07Z\n"
                           "    not checked against a trust anchor (--trust-anchors FILE checks it)\n"),
            std::string::npos)
      << unchecked;
  EXPECT_EQ(LastLine(unchecked),
            "The card was read, verified (signer not checked against a trust anchor) and origin-checked.");

  for (const char* block : {"document", "fixedPerso", "variableAdmin", "variablePerso"}) {
    report["verification"][block]["signer"]["trusted"] = true;
  }
  const std::string trusted = TextReport(report);
  EXPECT_NE(trusted.find("    trusted: its chain to a trust anchor checks out\n"), std::string::npos) << trusted;
  EXPECT_EQ(LastLine(trusted), "The card was read, verified by a trusted signer and origin-checked.");
}

TEST(TrustReportTest, DifferentSignersAreNamedWithTheirBlocks) {
  Json report = Report(true, false);
  report["verification"]["variableAdmin"] = Verified(Signer("CN=Admin signer", true));
  report["verification"]["variablePerso"] = Error("PKCS7 structure has invalid signature");
  const std::string text = TextReport(report);
  EXPECT_NE(text.find("  Signer of Document data and Fixed personal data: CN=Signer\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  Signer of Variable administrative data: CN=Admin signer\n"), std::string::npos) << text;
  EXPECT_EQ(LastLine(text), "FAILED: verifying Variable personal data.");
}

TEST(TrustReportTest, ClosingLineSaysWhatWasDoneOrWhatFailed) {
  struct Case {
    const char* what;
    Json report;
    const char* line;
  };
  Json untrustedBlock = Report(true, true);
  untrustedBlock["verification"]["fixedPerso"] =
      Error("The SOD signer certificate is not trusted: certificate has expired");
  Json failedEverywhere = Report(true, true);
  failedEverywhere["document"] = Error("Mandatory element with tag 0x0611 not found in block");
  failedEverywhere["origin"] = Error("Active authentication error");
  const Case cases[] = {
      {"read only", Report(false, false), "The card was read; not verified; origin not checked."},
      {"read and origin", Report(false, true), "The card was read and origin-checked; not verified."},
      {"untrusted signer", untrustedBlock, "FAILED: verifying Fixed personal data."},
      {"several failures", failedEverywhere, "FAILED: reading Document data and the origin check."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(LastLine(TextReport(c.report)), c.line);
  }
}

TEST(TrustReportTest, CodesShowTheMeaningTheBlockGives) {
  const std::string text = TextReport(Report(false, false));
  EXPECT_NE(text.find("  InsuranceBasisRZZOCode  0101 (Employed)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  CarrierFamilyMember     1 (yes)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  Permanent  0 (no)\n"), std::string::npos) << text;
  // No text beside the code, or a number without a known meaning: the value alone.
  EXPECT_NE(text.find("  CountryCode             KVR\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  Gender                  2\n"), std::string::npos) << text;
}

}  // namespace
