// What kavrin-hc read reports: each block as JSON, and the text made of a whole report.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "cli/block_json.h"
#include "cli/text_report.h"
#include "support/datetime.h"

using namespace Cli;

namespace {

const TAVQ::DateTime kCardDate(2021, 3, 15, TAVQ::DateTimeKind::Utc);

TEST(BlockJsonTest, PresentValuesAreTextNumbersOrDaysAndAbsentOnesAreNull) {
  ZK::VariableAdminDataBlock decoded;
  decoded.Gender().SetValue(2);
  decoded.InsuredFrom().SetValue(kCardDate);
  decoded.PostNumber().SetValue(u"\u0424\u043E\u043D\u0434");
  ZK::VariableAdminBlockObject object;
  ASSERT_EQ(object.Load(&decoded), S_OK);
  const Json json = ToJson(object);
  EXPECT_EQ(json.size(), 36u);
  EXPECT_EQ(json["Gender"], 2);
  EXPECT_EQ(json["PostNumber"], "\xD0\xA4\xD0\xBE\xD0\xBD\xD0\xB4");
  EXPECT_EQ(json["InsuredFrom"], "2021-03-15");
  EXPECT_TRUE(json["ParentName"].is_null());
  EXPECT_TRUE(json["CarrierFamilyMember"].is_null());
  EXPECT_EQ(json["CardID"], "");
  for (const auto& item : json.items()) EXPECT_EQ(item.key().find("Specified"), std::string::npos);
}

TEST(BlockJsonTest, DatesAreCalendarDaysWhilePresentAndValid) {
  ZK::VariablePersoDataBlock decoded;
  decoded.CardID().SetValue(u"00012345678");
  decoded.DateOfIssue().SetValue(kCardDate);
  decoded.DateOfExpiry().SetValue(kCardDate);
  decoded.Permanent().SetValue(1);
  ZK::VariablePersoBlockObject object;
  ASSERT_EQ(object.Load(&decoded), S_OK);
  EXPECT_EQ(ToJson(object)["DateOfExpiry"], "2021-03-15");
  object.put_DateOfExpirySpecified(false);  // the value is kept, but no longer shown
  EXPECT_EQ(ToJson(object),
            (Json{{"CardID", "00012345678"}, {"DateOfIssue", "2021-03-15"}, {"DateOfExpiry", nullptr}, {"Permanent", 1}}));

  EXPECT_EQ(DateJson(44270.75), "2021-03-15");
  EXPECT_TRUE(DateJson(std::nan("")).is_null());
  EXPECT_TRUE(DateJson(1e9).is_null());
  // A never-loaded object holds 0 ticks, before any file time.
  EXPECT_TRUE(ToJson(ZK::FixedPersoBlockObject())["DateOfBirth"].is_null());
}

Json Error(const char* message) { return Json{{"error", Json{{"hresult", "0x80004005"}, {"message", message}}}}; }

Json Verified(const char* subject, Json trusted) {
  return Json{{"signerCertificate", "TUlJ"}, {"signer", {{"subject", subject}, {"issuer", "CN=Test CA"},
                                                        {"notAfter", "2036-03-04T05:06:07Z"}, {"trusted", trusted}}}};
}

Json Report() {
  return Json{{"reader", "Virtual PCD 00 00"},
              {"cardId", 7},
              {"document", Json{{"CardID", "00012345678"}, {"DateOfIssue", "2021-03-15"}}},
              {"fixedPerso", Error("Mandatory element with tag 0x0622 not found in block")},
              {"variableAdmin", Json{{"InsuranceBasisRZZOCode", "0101"},
                                     {"InsuranceBasisRZZO", "Employed"},
                                     {"CarrierFamilyMember", 1},
                                     {"Country", nullptr}}},
              {"variablePerso", Json{{"Permanent", 0}}},
              {"verification", Json{{"document", Verified("CN=Signer", nullptr)},
                                    {"fixedPerso", Error("PKCS7 structure has invalid signature")},
                                    {"variableAdmin", Verified("CN=Admin signer", true)},
                                    {"variablePerso", Verified("CN=Signer", nullptr)}}},
              {"origin", Error("Active authentication error")}};
}

TEST(TextReportTest, ShowsPropertiesWithTheirMeaningsErrorsSignersAndWhatFailed) {
  EXPECT_EQ(TextReport(Report()),
            "Reader:  Virtual PCD 00 00\n"
            "Card ID: 7\n"
            "\n"
            "Document data\n"
            "  CardID       00012345678\n"
            "  DateOfIssue  2021-03-15\n"
            "\n"
            "Fixed personal data\n"
            "  error 0x80004005: Mandatory element with tag 0x0622 not found in block\n"
            "\n"
            "Variable administrative data\n"
            "  InsuranceBasisRZZOCode  0101 (Employed)\n"
            "  InsuranceBasisRZZO      Employed\n"
            "  CarrierFamilyMember     1 (yes)\n"
            "  Country                 (absent)\n"
            "\n"
            "Variable personal data\n"
            "  Permanent  0 (no)\n"
            "\n"
            "Verification against the SOD\n"
            "  Document data: verified\n"
            "  Fixed personal data: error 0x80004005: PKCS7 structure has invalid signature\n"
            "  Variable administrative data: verified\n"
            "  Variable personal data: verified\n"
            "  Signer of Document data and Variable personal data: CN=Signer\n"
            "    issued by   CN=Test CA\n"
            "    valid until 2036-03-04T05:06:07Z\n"
            "    not checked against a trust anchor (--trust-anchors FILE checks it)\n"
            "  Signer of Variable administrative data: CN=Admin signer\n"
            "    issued by   CN=Test CA\n"
            "    valid until 2036-03-04T05:06:07Z\n"
            "    trusted: its chain to a trust anchor checks out\n"
            "\n"
            "Origin: error 0x80004005: Active authentication error\n"
            "\n"
            "FAILED: reading Fixed personal data, verifying Fixed personal data and the origin check.\n");
}

TEST(TextReportTest, ClosingLineSaysWhatWasDone) {
  const Json unchecked = Verified("CN=Signer", nullptr), trusted = Verified("CN=Signer", true);
  const struct { Json verification; bool origin; const char* shown; const char* line; } cases[] = {  // null: not verified
      {nullptr, false, "Variable personal data\n  Permanent  0 (no)\n\n",
       "The card was read; not verified; origin not checked."},
      {nullptr, true, "\nOrigin: ok\n", "The card was read and origin-checked; not verified."},
      {Json{{"document", trusted}, {"fixedPerso", trusted}, {"variableAdmin", trusted}, {"variablePerso", unchecked}},
       false, "  Signer of Document data, Fixed personal data and Variable administrative data: CN=Signer\n",
       "The card was read and verified (signer not checked against a trust anchor); origin not checked."},
      {Json{{"document", trusted}, {"fixedPerso", trusted}, {"variableAdmin", trusted}, {"variablePerso", trusted}},
       true, "  Signer: CN=Signer\n", "The card was read, verified by a trusted signer and origin-checked."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Json report = Report();
    report["fixedPerso"] = Json::object();
    report.erase("origin");
    report.erase("verification");
    if (c.origin) report["origin"] = "ok";
    if (!c.verification.is_null()) report["verification"] = c.verification;
    const std::string text = TextReport(report);
    EXPECT_NE(text.find(c.shown), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1), c.line + std::string("\n"));
  }
}

}  // namespace
