// The four data blocks decoded from card images and the block objects' Load, Store
// and property rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "block_bytes.h"
#include "model/document_block_object.h"
#include "model/fixed_perso_block_object.h"
#include "model/variable_admin_block_object.h"
#include "model/variable_perso_block_object.h"

using namespace ZKTest;
using TAVQ::WString;

namespace {

using Elements = std::vector<ByteArray>;
using O = ZK::VariableAdminBlockObject;

std::uint16_t TagOf(const ByteArray& element) { return static_cast<std::uint16_t>(element[0] | (element[1] << 8)); }

// The element first, in place of any with its tag.
Elements With(Elements elements, const ByteArray& element) {
  const auto sameTag = [&](const ByteArray& e) { return TagOf(e) == TagOf(element); };
  elements.erase(std::remove_if(elements.begin(), elements.end(), sameTag), elements.end());
  elements.insert(elements.begin(), element);
  return elements;
}

template <class Object, class Value>
Value Get(const Object& object, HRESULT (Object::*get)(Value*) const) {
  Value value{};
  EXPECT_EQ((object.*get)(&value), S_OK);
  return value;
}

std::string TagText(std::uint16_t tag) {
  char text[8];
  std::snprintf(text, sizeof text, "%03X", tag);
  return text;
}

// Each text property of the administrative block by the tag of its element.
struct AdminText {
  std::uint16_t tag;
  bool utf16;
  HRESULT (O::*get)(WString*) const;
  HRESULT (O::*specified)(bool*) const;  // null for a mandatory element
} const kAdminTexts[] = {
    {0x0640, false, &O::get_CardID, nullptr},
    {0x0641, true, &O::get_ParentName, &O::get_ParentNameSpecified},
    {0x0642, true, &O::get_ParentNameLatin, &O::get_ParentNameLatinSpecified},
    {0x0644, false, &O::get_IDNumber, nullptr},
    {0x0645, true, &O::get_Street, nullptr},
    {0x0646, false, &O::get_PostNumber, &O::get_PostNumberSpecified},
    {0x0647, true, &O::get_Municipality, nullptr},
    {0x0648, true, &O::get_Place, nullptr},
    {0x0649, false, &O::get_StreetCode, nullptr},
    {0x064A, true, &O::get_Number, nullptr},
    {0x064B, true, &O::get_Entrance, &O::get_EntranceSpecified},
    {0x064C, true, &O::get_Apartment, &O::get_ApartmentSpecified},
    {0x064D, false, &O::get_RZZOUserRegistrationNumber, nullptr},
    {0x064E, false, &O::get_InsuranceBasisRZZOCode, nullptr},
    {0x064F, true, &O::get_InsuranceBasisRZZO, nullptr},
    {0x0650, true, &O::get_CarrierRelationship, &O::get_CarrierRelationshipSpecified},
    {0x0652, false, &O::get_CarrierIdNumber, &O::get_CarrierIdNumberSpecified},
    {0x0653, false, &O::get_CarrierInsurantNumber, &O::get_CarrierInsurantNumberSpecified},
    {0x0654, true, &O::get_CarrierLastName, &O::get_CarrierLastNameSpecified},
    {0x0655, true, &O::get_CarrierLastNameLatin, &O::get_CarrierLastNameLatinSpecified},
    {0x0656, true, &O::get_CarrierFirstName, &O::get_CarrierFirstNameSpecified},
    {0x0657, true, &O::get_CarrierFirstNameLatin, &O::get_CarrierFirstNameLatinSpecified},
    {0x0659, false, &O::get_CountryCode, nullptr},
    {0x065A, true, &O::get_Country, nullptr},
    {0x065B, false, &O::get_BookletIssuerCode, nullptr},
    {0x065C, true, &O::get_InsurerBranch, nullptr},
    {0x065D, true, &O::get_InsurerOffice, &O::get_InsurerOfficeSpecified},
    {0x065E, true, &O::get_TaxpayerName, nullptr},
    {0x065F, true, &O::get_TaxpayerResidence, nullptr},
    {0x0660, false, &O::get_TaxpayerNumber, &O::get_TaxpayerNumberSpecified},
    {0x0661, false, &O::get_TaxpayerIdNumber, &O::get_TaxpayerIdNumberSpecified},
    {0x0662, false, &O::get_TaxpayerActivityCode, &O::get_TaxpayerActivityCodeSpecified},
    {0x0663, false, &O::get_ParticipationFreeBecause, &O::get_ParticipationFreeBecauseSpecified}};

// Gender "02", InsuredFrom 01012010, with optionals CarrierFamilyMember "1", and every
// text element holding its own tag in hex ("64E"), so a crossed wire shows.
Elements AdminElements(bool withOptionals) {
  Elements elements{Element(0x0643, Ascii("02")), Element(0x0658, Ascii("01012010"))};
  if (withOptionals) elements.push_back(Element(0x0651, Ascii("1")));
  for (const AdminText& text : kAdminTexts) {
    if (text.specified && !withOptionals) continue;
    const std::string hex = TagText(text.tag);
    elements.push_back(Element(text.tag, text.utf16 ? Utf16(std::u16string(hex.begin(), hex.end())) : Ascii(hex)));
  }
  return elements;
}

ZK::VariableAdminDataBlock DecodedAdmin(bool withOptionals) {
  ZK::VariableAdminDataBlock block;
  block.Decode(Block(0x0D04, AdminElements(withOptionals)));
  return block;
}

const Elements kDocument = {Element(0x0611, Utf16(u"Insurer \u017D")), Element(0x0612, Ascii("INS01")),
                            Element(0x0613, Ascii("00012345678")),     Element(0x0615, Ascii("15032021")),
                            Element(0x0616, Ascii("14032031")),        Element(0x0617, Ascii("1234567890ABCDEF")),
                            Element(0x0618, Ascii("en"))};
const Elements kFixedPerso = {Element(0x0621, Ascii("12345678901")), Element(0x0622, Utf16(u"\u041D\u043E\u0432\u0430\u043A")),
                              Element(0x0623, Utf16(u"Novak")),       Element(0x0624, Utf16(u"\u0410\u043D\u0430")),
                              Element(0x0625, Utf16(u"Ana")),         Element(0x0626, Ascii("01021980"))};
const Elements kPerso = {Element(0x0630, Ascii("00012345678")), Element(0x0631, Ascii("15032021")),
                         Element(0x0633, Ascii("1"))};

template <class DataBlock>
std::string DecodeError(std::uint16_t tag, const Elements& elements) {
  DataBlock block;
  return CardError([&] { block.Decode(Block(tag, elements)); });
}

}  // namespace

TEST(DataBlocks, ACardImageShowsThroughItsBlockObject) {
  using D = ZK::DocumentBlockObject;
  ZK::DocumentDataBlock documentBlock;
  documentBlock.Decode(Block(0x0D01, With(kDocument, Element(0x0614, Ascii("undeclared")))));
  D document;
  ASSERT_EQ(document.Load(&documentBlock), S_OK);
  EXPECT_EQ(Get(document, &D::get_InsurerName), u"Insurer \u017D");
  EXPECT_EQ(Get(document, &D::get_InsurerID), u"INS01");
  EXPECT_EQ(Get(document, &D::get_CardID), u"00012345678");
  EXPECT_EQ(Get(document, &D::get_DateOfIssue), 44270.0);  // 2021-03-15
  EXPECT_EQ(Get(document, &D::get_DateOfExpiry), 47921.0);
  EXPECT_EQ(Get(document, &D::get_ChipSerialNumber), u"1234567890ABCDEF");
  EXPECT_EQ(Get(document, &D::get_PrintLanguage), u"en");

  using F = ZK::FixedPersoBlockObject;
  ZK::FixedPersoDataBlock fixedBlock;
  fixedBlock.Decode(Block(0x0D02, kFixedPerso));
  F fixed;
  ASSERT_EQ(fixed.Load(&fixedBlock), S_OK);
  EXPECT_EQ(Get(fixed, &F::get_InsurantNumber), u"12345678901");
  EXPECT_EQ(Get(fixed, &F::get_LastName), u"\u041D\u043E\u0432\u0430\u043A");
  EXPECT_EQ(Get(fixed, &F::get_LastNameLatin), u"Novak");
  EXPECT_EQ(Get(fixed, &F::get_FirstName), u"\u0410\u043D\u0430");
  EXPECT_EQ(Get(fixed, &F::get_FirstNameLatin), u"Ana");
  EXPECT_EQ(Get(fixed, &F::get_DateOfBirth), 29252.0);  // 1980-02-01

  ZK::VariablePersoDataBlock perso;
  perso.Decode(Block(0x0D03, kPerso));
  EXPECT_EQ(perso.Permanent().GetValue(), 1);

  ZK::VariableAdminDataBlock admin;
  for (const auto& [bytes, gender] : {std::pair{"00", 0}, {"01", 1}, {"02", 2}}) {
    admin.Decode(Block(0x0D04, With(AdminElements(false), Element(0x0643, Ascii(bytes)))));
    EXPECT_EQ(admin.Gender().GetValue(), gender);
  }
}

// The decoder walks the whole body, not only as far as the elements it looks for.
TEST(DataBlocks, ATruncatedFragmentAfterTheLastElementFailsTheBlock) {
  const auto withTail = [](Elements elements, const ByteArray& tail) {
    elements.push_back(tail);
    return elements;
  };
  const std::pair<ByteArray, std::string> tails[] = {
      {Element(0x0633, Ascii("x")), "no exception"},
      {{0x33, 0x06, 0xFF, 0xFF}, "Element with tag 0x633 has length 0, different from declared length 65535"},
      {{0x11, 0x06, 0x02, 0x00, 0x41}, "Element with tag 0x611 has length 1, different from declared length 2"},
  };
  for (const auto& [tail, message] : tails) {
    EXPECT_EQ(DecodeError<ZK::DocumentDataBlock>(0x0D01, withTail(kDocument, tail)), message);
    EXPECT_EQ(DecodeError<ZK::VariableAdminDataBlock>(0x0D04, withTail(AdminElements(true), tail)), message);
  }
  const std::size_t end = Block(0x0D04, AdminElements(true)).size();
  EXPECT_EQ(DecodeError<ZK::VariableAdminDataBlock>(0x0D04, withTail(AdminElements(true), {0x33, 0x06})),
            "Element header at offset " + std::to_string(end) + " runs past the end of the block of " +
                std::to_string(end + 2) + " bytes");
}

TEST(VariableAdminBlockObject, EveryElementLoadsThroughItsOwnPropertyAndStoresBack) {
  const auto original = DecodedAdmin(true);
  O object;
  ASSERT_EQ(object.Load(&original), S_OK);
  for (const AdminText& text : kAdminTexts) {
    const std::string hex = TagText(text.tag);
    EXPECT_EQ(Get(object, text.get), WString(hex.begin(), hex.end()));
    EXPECT_TRUE(!text.specified || Get(object, text.specified)) << hex;
  }
  EXPECT_EQ(Get(object, &O::get_Gender), 2);
  EXPECT_EQ(Get(object, &O::get_CarrierFamilyMember), 1);
  EXPECT_EQ(Get(object, &O::get_InsuredFrom), 40179.0);  // 2010-01-01
  ZK::VariableAdminDataBlock stored;
  ASSERT_EQ(object.Store(&stored), S_OK);
  const auto originals = original.Elements(), copies = std::as_const(stored).Elements();
  for (std::size_t i = 0; i < originals.size(); ++i) {
    EXPECT_EQ(copies[i]->GetBytes(), originals[i]->GetBytes()) << TagText(originals[i]->Tag());
  }
}

TEST(VariableAdminBlockObject, AnAbsentOptionalValueHidesBehindAFalseFlag) {
  const auto full = DecodedAdmin(true), mandatoryOnly = DecodedAdmin(false);
  O object;
  ASSERT_EQ(object.Load(&full), S_OK);
  ASSERT_EQ(object.Load(&mandatoryOnly), S_OK);
  for (const AdminText& text : kAdminTexts) {
    if (!text.specified) continue;
    EXPECT_FALSE(Get(object, text.specified)) << TagText(text.tag);
    WString value;
    EXPECT_EQ((object.*text.get)(&value), E_FAIL) << TagText(text.tag);
    EXPECT_EQ((object.*text.get)(nullptr), E_INVALIDARG) << TagText(text.tag);  // the pointer first
  }
  std::int32_t number = 0;
  EXPECT_EQ(object.get_CarrierFamilyMember(&number), E_FAIL);
  // The flag restores the value loaded before; setting a value sets the flag.
  EXPECT_EQ(object.put_InsurerOfficeSpecified(true), S_OK);
  EXPECT_EQ(Get(object, &O::get_InsurerOffice), u"65D");
  EXPECT_EQ(object.put_ParentName(u"X"), S_OK);
  EXPECT_TRUE(Get(object, &O::get_ParentNameSpecified));
  EXPECT_EQ(object.put_ParentNameSpecified(false), S_OK);
  WString text;
  EXPECT_EQ(object.get_ParentName(&text), E_FAIL);
  EXPECT_EQ(object.put_CarrierFamilyMember(1), S_OK);
  EXPECT_EQ(Get(object, &O::get_CarrierFamilyMember), 1);
}

TEST(VariableAdminBlockObject, StoreKeepsUnspecifiedOptionalsAndChecksNumbersOnlyWhenEncoded) {
  O object;
  auto decoded = DecodedAdmin(true);
  EXPECT_EQ(object.put_Gender(5), S_OK);
  ASSERT_EQ(object.Store(&decoded), S_OK);
  EXPECT_EQ(decoded.ParentName().GetValue(), u"641");
  EXPECT_EQ(decoded.CardID().GetValue(), u"");  // mandatory elements are always written
  EXPECT_EQ(CardError([&] { decoded.Gender().GetBytes(); }), "Number 5 is not valid value for tag 0x643");
}

TEST(BlockObjects, TextEndsAtTheFirstNulBothWays) {
  O admin;
  EXPECT_EQ(admin.put_Street(WString(u"AB\0CD", 5)), S_OK);
  EXPECT_EQ(Get(admin, &O::get_Street), u"AB");
  ZK::VariablePersoDataBlock block;
  block.Decode(Block(0x0D03, With(kPerso, Element(0x0630, {'1', '2', 0, '3'}))));
  ZK::VariablePersoBlockObject object;
  ASSERT_EQ(object.Load(&block), S_OK);
  EXPECT_EQ(Get(object, &ZK::VariablePersoBlockObject::get_CardID), u"12");
  ZK::VariablePersoDataBlock stored;
  ASSERT_EQ(object.Store(&stored), S_OK);
  EXPECT_EQ(stored.CardID().GetValue(), u"12");
}

TEST(BlockObjects, NullArgumentsAreRefusedAndChangeNothing) {
  using P = ZK::VariablePersoBlockObject;
  P object;
  object.put_CardID(u"kept");
  EXPECT_EQ(object.Load(nullptr), E_INVALIDARG);
  EXPECT_EQ(object.Store(nullptr), E_INVALIDARG);
  EXPECT_EQ(Get(object, &P::get_CardID), u"kept");
  EXPECT_EQ(ZK::DocumentBlockObject().Load(nullptr), E_INVALIDARG);
  EXPECT_EQ(ZK::FixedPersoBlockObject().Load(nullptr), E_INVALIDARG);
  EXPECT_EQ(O().Load(nullptr), E_INVALIDARG);
  EXPECT_EQ(object.get_Permanent(nullptr), E_INVALIDARG);
  EXPECT_EQ(object.get_DateOfIssue(nullptr), E_INVALIDARG);
  // A new object's date is 0 ticks, before the first file time: no date to show.
  double date = 0;
  EXPECT_EQ(P().get_DateOfIssue(&date), E_FAIL);
}
