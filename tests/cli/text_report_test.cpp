#include "cli/text_report.h"

#include <gtest/gtest.h>

using namespace Cli;

namespace {

Json Error(const char* hresult, const char* message) {
  return Json{{"error", Json{{"hresult", hresult}, {"message", message}}}};
}

TEST(TextReportTest, ShowsPropertiesErrorsVerificationAndOrigin) {
  Json report = {{"reader", "Virtual PCD 00 00"},
                 {"cardId", 7},
                 {"document", Json{{"CardID", "00012345678"}, {"DateOfIssue", "2021-03-15"}}},
                 {"fixedPerso", Error("0x80004005", "Mandatory element with tag 0x0622 not found in block")},
                 {"variableAdmin", Json{{"ParentName", nullptr}, {"Gender", 2}}},
                 {"variablePerso", Json::object()}};
  report["verification"] = Json{{"document", Json{{"signerCertificate", "TUlJ"}}},
                                {"fixedPerso", Error("0x80004005", "PKCS7 structure has invalid signature")},
                                {"variableAdmin", Json{{"signerCertificate", "TUlJ"}}},
                                {"variablePerso", Json{{"signerCertificate", "TUlJ"}}}};
  report["origin"] = Error("0x80004005", "Active authentication error");

  const std::string text = TextReport(report);
  EXPECT_EQ(text,
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
            "  ParentName  (absent)\n"
            "  Gender      2\n"
            "\n"
            "Variable personal data\n"
            "\n"
            "Verification against the SOD\n"
            "  Document data: verified\n"
            "  Fixed personal data: error 0x80004005: PKCS7 structure has invalid signature\n"
            "  Variable administrative data: verified\n"
            "  Variable personal data: verified\n"
            "\n"
            "Origin: error 0x80004005: Active authentication error\n"
            "\n"
            "FAILED: reading Fixed personal data, verifying Fixed personal data and the origin check.\n");
}

TEST(TextReportTest, SuccessfulOriginIsOk) {
  Json report = {{"reader", "R"}, {"cardId", 1}, {"document", Json::object()}, {"fixedPerso", Json::object()},
                 {"variableAdmin", Json::object()}, {"variablePerso", Json::object()}, {"origin", "ok"}};
  EXPECT_NE(TextReport(report).find("\nOrigin: ok\n"), std::string::npos);
}

}  // namespace
