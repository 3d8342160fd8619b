#include "cli/block_json.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/datetime.h"

using namespace Cli;

namespace {

std::vector<std::string> Keys(const Json& object) {
  std::vector<std::string> keys;
  for (const auto& item : object.items()) keys.push_back(item.key());
  return keys;
}

const TAVQ::DateTime kCardDate(2021, 3, 15, TAVQ::DateTimeKind::Utc);

TEST(BlockJsonTest, DocumentBlockHasItsPropertiesInInterfaceOrder) {
  ZK::DocumentDataBlock decoded;
  decoded.InsurerName().SetValue(u"\u0424\u043E\u043D\u0434");
  decoded.InsurerID().SetValue(u"12345");
  decoded.CardID().SetValue(u"00012345678");
  decoded.DateOfIssue().SetValue(kCardDate);
  decoded.DateOfExpiry().SetValue(TAVQ::DateTime(2031, 3, 14, TAVQ::DateTimeKind::Utc));
  decoded.ChipSerialNumber().SetValue(u"1A2B3C4D5E6F7081");
  decoded.PrintLanguage().SetValue(u"01");
  ZK::DocumentBlockObject object;
  ASSERT_EQ(object.Load(&decoded), S_OK);

  const Json json = ToJson(object);
  EXPECT_EQ(Keys(json), (std::vector<std::string>{"InsurerName", "InsurerID", "CardID", "DateOfIssue", "DateOfExpiry",
                                                  "ChipSerialNumber", "PrintLanguage"}));
  EXPECT_EQ(json["InsurerName"], "\xD0\xA4\xD0\xBE\xD0\xBD\xD0\xB4");
  EXPECT_EQ(json["DateOfIssue"], "2021-03-15");
  EXPECT_EQ(json["DateOfExpiry"], "2031-03-14");
}

TEST(BlockJsonTest, AbsentOptionalElementsAreNullAndPresentNumbersAreNumbers) {
  ZK::VariableAdminDataBlock decoded;
  decoded.Gender().SetValue(2);
  decoded.CarrierFamilyMember().SetValue(1);
  decoded.InsuredFrom().SetValue(kCardDate);
  decoded.PostNumber().SetValue(u"21000");
  ZK::VariableAdminBlockObject object;
  ASSERT_EQ(object.Load(&decoded), S_OK);

  const Json json = ToJson(object);
  EXPECT_EQ(json.size(), 36u);
  EXPECT_EQ(Keys(json).front(), "CardID");
  EXPECT_EQ(Keys(json).back(), "ParticipationFreeBecause");
  EXPECT_EQ(json["Gender"], 2);
  EXPECT_EQ(json["CarrierFamilyMember"], 1);
  EXPECT_EQ(json["PostNumber"], "21000");
  EXPECT_TRUE(json["ParentName"].is_null());
  EXPECT_TRUE(json["TaxpayerNumber"].is_null());
  EXPECT_EQ(json["CardID"], "");
  EXPECT_EQ(json["InsuredFrom"], "2021-03-15");
  for (const auto& item : json.items()) EXPECT_EQ(item.key().find("Specified"), std::string::npos);
}

TEST(BlockJsonTest, PresenceFlagClearedLaterHidesTheKeptValue) {
  ZK::VariablePersoDataBlock decoded;
  decoded.CardID().SetValue(u"00012345678");
  decoded.DateOfIssue().SetValue(kCardDate);
  decoded.DateOfExpiry().SetValue(kCardDate);
  decoded.Permanent().SetValue(1);
  ZK::VariablePersoBlockObject object;
  ASSERT_EQ(object.Load(&decoded), S_OK);
  EXPECT_EQ(ToJson(object)["DateOfExpiry"], "2021-03-15");
  object.put_DateOfExpirySpecified(false);
  EXPECT_EQ(ToJson(object),
            (Json{{"CardID", "00012345678"}, {"DateOfIssue", "2021-03-15"}, {"DateOfExpiry", nullptr}, {"Permanent", 1}}));
}

TEST(BlockJsonTest, DatesWithoutACalendarDayAreNull) {
  EXPECT_EQ(DateJson(44270.0), "2021-03-15");
  EXPECT_EQ(DateJson(44270.75), "2021-03-15");
  EXPECT_TRUE(DateJson(std::nan("")).is_null());
  EXPECT_TRUE(DateJson(1e9).is_null());
  // A never-loaded object holds 0 ticks, before any file time: its dates are null.
  EXPECT_TRUE(ToJson(ZK::FixedPersoBlockObject())["DateOfBirth"].is_null());
}

}  // namespace
