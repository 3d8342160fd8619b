// The block objects' plain logic: Load, Store and the property rules.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

#include "admin_block_bytes.h"
#include "block_bytes.h"
#include "model/document_block_object.h"
#include "model/fixed_perso_block_object.h"
#include "model/variable_admin_block_object.h"
#include "model/variable_perso_block_object.h"

using namespace ZKTest;
using TAVQ::WString;
using ZK::VariableAdminBlockObject;

namespace {

using TextGetter = HRESULT (VariableAdminBlockObject::*)(WString*) const;
using FlagGetter = HRESULT (VariableAdminBlockObject::*)(bool*) const;

struct AdminTextProperty {
  TextGetter get;
  FlagGetter specified;  // null for a mandatory element
};

// Each text property of the interface by the tag of its element.
const std::map<std::uint16_t, AdminTextProperty>& AdminTextProperties() {
  using O = VariableAdminBlockObject;
  static const std::map<std::uint16_t, AdminTextProperty> properties{
      {0x0640, {&O::get_CardID, nullptr}},
      {0x0641, {&O::get_ParentName, &O::get_ParentNameSpecified}},
      {0x0642, {&O::get_ParentNameLatin, &O::get_ParentNameLatinSpecified}},
      {0x0644, {&O::get_IDNumber, nullptr}},
      {0x0645, {&O::get_Street, nullptr}},
      {0x0646, {&O::get_PostNumber, &O::get_PostNumberSpecified}},
      {0x0647, {&O::get_Municipality, nullptr}},
      {0x0648, {&O::get_Place, nullptr}},
      {0x0649, {&O::get_StreetCode, nullptr}},
      {0x064A, {&O::get_Number, nullptr}},
      {0x064B, {&O::get_Entrance, &O::get_EntranceSpecified}},
      {0x064C, {&O::get_Apartment, &O::get_ApartmentSpecified}},
      {0x064D, {&O::get_RZZOUserRegistrationNumber, nullptr}},
      {0x064E, {&O::get_InsuranceBasisRZZOCode, nullptr}},
      {0x064F, {&O::get_InsuranceBasisRZZO, nullptr}},
      {0x0650, {&O::get_CarrierRelationship, &O::get_CarrierRelationshipSpecified}},
      {0x0652, {&O::get_CarrierIdNumber, &O::get_CarrierIdNumberSpecified}},
      {0x0653, {&O::get_CarrierInsurantNumber, &O::get_CarrierInsurantNumberSpecified}},
      {0x0654, {&O::get_CarrierLastName, &O::get_CarrierLastNameSpecified}},
      {0x0655, {&O::get_CarrierLastNameLatin, &O::get_CarrierLastNameLatinSpecified}},
      {0x0656, {&O::get_CarrierFirstName, &O::get_CarrierFirstNameSpecified}},
      {0x0657, {&O::get_CarrierFirstNameLatin, &O::get_CarrierFirstNameLatinSpecified}},
      {0x0659, {&O::get_CountryCode, nullptr}},
      {0x065A, {&O::get_Country, nullptr}},
      {0x065B, {&O::get_BookletIssuerCode, nullptr}},
      {0x065C, {&O::get_InsurerBranch, nullptr}},
      {0x065D, {&O::get_InsurerOffice, &O::get_InsurerOfficeSpecified}},
      {0x065E, {&O::get_TaxpayerName, nullptr}},
      {0x065F, {&O::get_TaxpayerResidence, nullptr}},
      {0x0660, {&O::get_TaxpayerNumber, &O::get_TaxpayerNumberSpecified}},
      {0x0661, {&O::get_TaxpayerIdNumber, &O::get_TaxpayerIdNumberSpecified}},
      {0x0662, {&O::get_TaxpayerActivityCode, &O::get_TaxpayerActivityCodeSpecified}},
      {0x0663, {&O::get_ParticipationFreeBecause, &O::get_ParticipationFreeBecauseSpecified}}};
  return properties;
}

ZK::VariableAdminDataBlock DecodedAdmin(bool withOptionals) {
  ZK::VariableAdminDataBlock block;
  block.Decode(AdminBlock(withOptionals));
  return block;
}

TEST(VariableAdminBlockObject, LoadShowsEveryElementThroughItsOwnProperty) {
  ASSERT_EQ(AdminTextProperties().size(), AdminTexts().size());
  VariableAdminBlockObject object;
  const auto block = DecodedAdmin(true);
  ASSERT_EQ(object.Load(&block), S_OK);
  for (const auto& [tag, property] : AdminTextProperties()) {
    WString text;
    EXPECT_EQ((object.*property.get)(&text), S_OK) << TagText(tag);
    EXPECT_EQ(text, WideTagText(tag)) << TagText(tag);
    if (property.specified) {
      bool specified = false;
      EXPECT_EQ((object.*property.specified)(&specified), S_OK);
      EXPECT_TRUE(specified) << TagText(tag);
    }
  }
  std::int32_t number = 0;
  EXPECT_EQ(object.get_Gender(&number), S_OK);
  EXPECT_EQ(number, 2);
  EXPECT_EQ(object.get_CarrierFamilyMember(&number), S_OK);
  EXPECT_EQ(number, 1);
  double date = 0;
  EXPECT_EQ(object.get_InsuredFrom(&date), S_OK);
  EXPECT_EQ(date, 40179.0);  // 2010-01-01
}

TEST(VariableAdminBlockObject, AbsentOptionalElementsGiveFalseFlagsAndFailingGetters) {
  VariableAdminBlockObject object;
  const auto block = DecodedAdmin(false);
  ASSERT_EQ(object.Load(&block), S_OK);
  for (const auto& [tag, property] : AdminTextProperties()) {
    if (!property.specified) continue;
    bool specified = true;
    EXPECT_EQ((object.*property.specified)(&specified), S_OK);
    EXPECT_FALSE(specified) << TagText(tag);
    WString text;
    EXPECT_EQ((object.*property.get)(&text), E_FAIL) << TagText(tag);
    EXPECT_EQ((object.*property.get)(nullptr), E_INVALIDARG) << TagText(tag);  // the pointer first
  }
  std::int32_t number = 0;
  EXPECT_EQ(object.get_CarrierFamilyMember(&number), E_FAIL);
  EXPECT_EQ(object.put_CarrierFamilyMember(1), S_OK);
  bool specified = false;
  EXPECT_EQ(object.get_CarrierFamilyMemberSpecified(&specified), S_OK);
  EXPECT_TRUE(specified);
  EXPECT_EQ(object.get_CarrierFamilyMember(&number), S_OK);
  EXPECT_EQ(number, 1);
}

TEST(VariableAdminBlockObject, ThePresenceFlagHidesAndRestoresTheValue) {
  VariableAdminBlockObject object;
  const auto block = DecodedAdmin(false);
  ASSERT_EQ(object.Load(&block), S_OK);
  WString text;
  bool specified = false;
  EXPECT_EQ(object.put_ParentName(u"X"), S_OK);
  EXPECT_EQ(object.get_ParentNameSpecified(&specified), S_OK);
  EXPECT_TRUE(specified);
  EXPECT_EQ(object.get_ParentName(&text), S_OK);
  EXPECT_EQ(text, u"X");

  EXPECT_EQ(object.put_ParentNameSpecified(false), S_OK);
  EXPECT_EQ(object.get_ParentName(&text), E_FAIL);
  EXPECT_EQ(object.put_ParentNameSpecified(true), S_OK);
  EXPECT_EQ(object.get_ParentName(&text), S_OK);
  EXPECT_EQ(text, u"X");
}

TEST(VariableAdminBlockObject, LoadingAgainKeepsAbsentValuesBehindAFalseFlag) {
  VariableAdminBlockObject object;
  const auto full = DecodedAdmin(true);
  const auto mandatoryOnly = DecodedAdmin(false);
  ASSERT_EQ(object.Load(&full), S_OK);
  ASSERT_EQ(object.Load(&mandatoryOnly), S_OK);
  WString text;
  EXPECT_EQ(object.get_InsurerOffice(&text), E_FAIL);
  object.put_InsurerOfficeSpecified(true);
  EXPECT_EQ(object.get_InsurerOffice(&text), S_OK);
  EXPECT_EQ(text, u"65D");
}

TEST(VariableAdminBlockObject, StoreWritesEveryPropertyBackToItsElement) {
  const auto original = DecodedAdmin(true);
  VariableAdminBlockObject object;
  ASSERT_EQ(object.Load(&original), S_OK);
  ZK::VariableAdminDataBlock stored;
  ASSERT_EQ(object.Store(&stored), S_OK);
  const auto originals = original.Elements();
  const auto copies = stored.Elements();
  for (std::size_t i = 0; i < originals.size(); ++i) {
    EXPECT_EQ(copies[i]->GetBytes(), originals[i]->GetBytes()) << TagText(originals[i]->Tag());
  }
}

TEST(VariableAdminBlockObject, StoreLeavesAnUnspecifiedOptionalElementAsItWas) {
  VariableAdminBlockObject object;
  ZK::VariableAdminDataBlock fresh;
  ASSERT_EQ(object.Store(&fresh), S_OK);
  EXPECT_TRUE(fresh.ParentName().IsNull());

  auto decoded = DecodedAdmin(true);
  ASSERT_EQ(object.Store(&decoded), S_OK);
  EXPECT_FALSE(decoded.ParentName().IsNull());
  EXPECT_EQ(decoded.ParentName().GetValue(), u"641");
  EXPECT_EQ(decoded.CardID().GetValue(), u"");  // mandatory elements are always written
}

TEST(VariableAdminBlockObject, NumbersAreCheckedOnlyWhenEncoded) {
  VariableAdminBlockObject object;
  EXPECT_EQ(object.put_Gender(5), S_OK);
  std::int32_t gender = 0;
  EXPECT_EQ(object.get_Gender(&gender), S_OK);
  EXPECT_EQ(gender, 5);
  ZK::VariableAdminDataBlock block;
  EXPECT_EQ(object.Store(&block), S_OK);
  EXPECT_EQ(CardError([&] { block.Gender().GetBytes(); }), "Number 5 is not valid value for tag 0x643");
}

TEST(BlockObjectText, TextEndsAtTheFirstNul) {
  VariableAdminBlockObject object;
  EXPECT_EQ(object.put_Street(WString(u"AB\0CD", 5)), S_OK);
  WString text;
  EXPECT_EQ(object.get_Street(&text), S_OK);
  EXPECT_EQ(text, u"AB");
  EXPECT_EQ(object.put_Street(WString()), S_OK);  // a null BSTR arrives as the empty text
  EXPECT_EQ(object.get_Street(&text), S_OK);
  EXPECT_TRUE(text.empty());
}

TEST(BlockObjectText, ACardValueWithANulIsShownAndStoredUpToIt) {
  ZK::VariablePersoDataBlock block;
  block.Decode(Block(0x0D03, {Element(0x0630, {'1', '2', 0, '3'}), Element(0x0631, Ascii("15032021")),
                              Element(0x0633, Ascii("0"))}));
  ZK::VariablePersoBlockObject object;
  ASSERT_EQ(object.Load(&block), S_OK);
  WString text;
  EXPECT_EQ(object.get_CardID(&text), S_OK);
  EXPECT_EQ(text, u"12");
  ZK::VariablePersoDataBlock stored;
  ASSERT_EQ(object.Store(&stored), S_OK);
  EXPECT_EQ(stored.CardID().GetValue(), u"12");
}

TEST(BlockObjectLoadStore, NullBlocksAreRefusedAndChangeNothing) {
  ZK::VariablePersoBlockObject object;
  object.put_CardID(u"kept");
  object.put_Permanent(1);
  EXPECT_EQ(object.Load(nullptr), E_INVALIDARG);
  EXPECT_EQ(object.Store(nullptr), E_INVALIDARG);
  WString text;
  std::int32_t permanent = 0;
  object.get_CardID(&text);
  object.get_Permanent(&permanent);
  EXPECT_EQ(text, u"kept");
  EXPECT_EQ(permanent, 1);

  ZK::DocumentBlockObject document;
  EXPECT_EQ(document.Load(nullptr), E_INVALIDARG);
  ZK::FixedPersoBlockObject fixed;
  EXPECT_EQ(fixed.Load(nullptr), E_INVALIDARG);
  VariableAdminBlockObject admin;
  EXPECT_EQ(admin.Load(nullptr), E_INVALIDARG);
  EXPECT_EQ(admin.Store(nullptr), E_INVALIDARG);
}

TEST(BlockObjectLoadStore, ANewObjectHoldsTheInitialValues) {
  ZK::VariablePersoBlockObject object;
  WString text = u"x";
  std::int32_t number = 7;
  bool specified = true;
  double date = 1;
  EXPECT_EQ(object.get_CardID(&text), S_OK);
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(object.get_Permanent(&number), S_OK);
  EXPECT_EQ(number, 0);
  EXPECT_EQ(object.get_DateOfExpirySpecified(&specified), S_OK);
  EXPECT_FALSE(specified);
  EXPECT_EQ(object.get_DateOfExpiry(&date), E_FAIL);
  // 0 ticks lies before the first file time: no date to show.
  EXPECT_EQ(object.get_DateOfIssue(&date), E_FAIL);
  EXPECT_EQ(object.get_DateOfIssue(nullptr), E_INVALIDARG);
  EXPECT_EQ(object.get_CardID(nullptr), E_INVALIDARG);
  EXPECT_EQ(object.get_Permanent(nullptr), E_INVALIDARG);
  EXPECT_EQ(object.get_DateOfExpirySpecified(nullptr), E_INVALIDARG);
}

TEST(DocumentBlockObject, LoadShowsEveryElement) {
  ZK::DocumentDataBlock block;
  block.Decode(Block(0x0D01, {Element(0x0611, Utf16(u"Insurer")), Element(0x0612, Ascii("INS01")),
                              Element(0x0613, Ascii("42")), Element(0x0615, Ascii("15032021")),
                              Element(0x0616, Ascii("16032021")), Element(0x0617, Ascii("CHIP")),
                              Element(0x0618, Ascii("en"))}));
  ZK::DocumentBlockObject object;
  ASSERT_EQ(object.Load(&block), S_OK);
  WString text;
  double date = 0;
  object.get_InsurerName(&text);
  EXPECT_EQ(text, u"Insurer");
  object.get_InsurerID(&text);
  EXPECT_EQ(text, u"INS01");
  object.get_CardID(&text);
  EXPECT_EQ(text, u"42");
  EXPECT_EQ(object.get_DateOfIssue(&date), S_OK);
  EXPECT_EQ(date, 44270.0);
  EXPECT_EQ(object.get_DateOfExpiry(&date), S_OK);
  EXPECT_EQ(date, 44271.0);
  object.get_ChipSerialNumber(&text);
  EXPECT_EQ(text, u"CHIP");
  object.get_PrintLanguage(&text);
  EXPECT_EQ(text, u"en");
}

TEST(FixedPersoBlockObject, LoadShowsEveryElement) {
  ZK::FixedPersoDataBlock block;
  block.Decode(Block(0x0D02, {Element(0x0621, Ascii("123")), Element(0x0622, Utf16(u"\u041D")),
                              Element(0x0623, Utf16(u"N")), Element(0x0624, Utf16(u"\u0410")),
                              Element(0x0625, Utf16(u"A")), Element(0x0626, Ascii("01021980"))}));
  ZK::FixedPersoBlockObject object;
  ASSERT_EQ(object.Load(&block), S_OK);
  WString text;
  double date = 0;
  object.get_InsurantNumber(&text);
  EXPECT_EQ(text, u"123");
  object.get_LastName(&text);
  EXPECT_EQ(text, u"\u041D");
  object.get_LastNameLatin(&text);
  EXPECT_EQ(text, u"N");
  object.get_FirstName(&text);
  EXPECT_EQ(text, u"\u0410");
  object.get_FirstNameLatin(&text);
  EXPECT_EQ(text, u"A");
  EXPECT_EQ(object.get_DateOfBirth(&date), S_OK);
  EXPECT_EQ(date, 29252.0);  // 1980-02-01
}

}  // namespace
