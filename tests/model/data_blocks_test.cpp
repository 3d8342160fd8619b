// The four data blocks decoded from card images, and what each refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "block_bytes.h"
#include "model/document_data_block.h"
#include "model/fixed_perso_data_block.h"
#include "model/variable_admin_data_block.h"
#include "model/variable_perso_data_block.h"

using namespace ZKTest;
using TAVQ::DateTime;

namespace {

using Elements = std::vector<ByteArray>;

ByteArray Join(std::uint16_t tag, const Elements& elements) {
  ByteArray body;
  for (const ByteArray& element : elements) body.insert(body.end(), element.begin(), element.end());
  return Element(tag, body);
}

std::uint16_t TagOf(const ByteArray& element) { return static_cast<std::uint16_t>(element[0] | (element[1] << 8)); }

Elements Without(Elements elements, std::uint16_t tag) {
  elements.erase(std::remove_if(elements.begin(), elements.end(), [&](const ByteArray& e) { return TagOf(e) == tag; }),
                 elements.end());
  return elements;
}

// The element first, in place of any with its tag.
Elements With(const Elements& elements, const ByteArray& element) {
  Elements result = Without(elements, TagOf(element));
  result.insert(result.begin(), element);
  return result;
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
const Elements kAdmin = {Element(0x0640, Ascii("00012345678")), Element(0x0643, Ascii("01")),
                         Element(0x0644, Ascii("0102980710011")), Element(0x0645, Utf16(u"Main Street")),
                         Element(0x0647, Utf16(u"Centre")),      Element(0x0648, Utf16(u"Town")),
                         Element(0x0649, Ascii("123")),          Element(0x064A, Utf16(u"12a")),
                         Element(0x064D, Ascii("1234567890")),   Element(0x064E, Ascii("10")),
                         Element(0x064F, Utf16(u"Employed")),    Element(0x0658, Ascii("01012010")),
                         Element(0x0659, Ascii("XX")),           Element(0x065A, Utf16(u"Country")),
                         Element(0x065B, Ascii("101")),          Element(0x065C, Utf16(u"Branch")),
                         Element(0x065E, Utf16(u"Company")),     Element(0x065F, Utf16(u"Town"))};

template <class Block>
std::string DecodeError(std::uint16_t tag, const Elements& elements) {
  Block block;
  return CardError([&] { block.Decode(Join(tag, elements)); });
}

}  // namespace

TEST(DataBlocks, DecodeEveryElementOfACardImage) {
  ZK::DocumentDataBlock document;
  document.Decode(Join(0x0D01, With(kDocument, Element(0x0614, Ascii("undeclared")))));
  EXPECT_EQ(document.InsurerName().GetValue(), u"Insurer \u017D");
  EXPECT_EQ(document.InsurerID().GetValue(), u"INS01");
  EXPECT_EQ(document.CardID().GetValue(), u"00012345678");
  EXPECT_EQ(document.DateOfIssue().GetValue(), DateTime(2021, 3, 15));
  EXPECT_EQ(document.DateOfExpiry().GetValue(), DateTime(2031, 3, 14));
  EXPECT_EQ(document.ChipSerialNumber().GetValue(), u"1234567890ABCDEF");
  EXPECT_EQ(document.PrintLanguage().GetValue(), u"en");

  ZK::FixedPersoDataBlock fixed;
  fixed.Decode(Join(0x0D02, kFixedPerso));
  EXPECT_EQ(fixed.InsurantNumber().GetValue(), u"12345678901");
  EXPECT_EQ(fixed.LastName().GetValue(), u"\u041D\u043E\u0432\u0430\u043A");
  EXPECT_EQ(fixed.LastNameLatin().GetValue(), u"Novak");
  EXPECT_EQ(fixed.FirstName().GetValue(), u"\u0410\u043D\u0430");
  EXPECT_EQ(fixed.FirstNameLatin().GetValue(), u"Ana");
  EXPECT_EQ(fixed.DateOfBirth().GetValue(), DateTime(1980, 2, 1));

  ZK::VariablePersoDataBlock perso;
  perso.Decode(Join(0x0D03, kPerso));
  EXPECT_EQ(perso.CardID().GetValue(), u"00012345678");
  EXPECT_EQ(perso.DateOfIssue().GetValue(), DateTime(2021, 3, 15));
  EXPECT_TRUE(perso.DateOfExpiry().IsNull());
  EXPECT_EQ(perso.Permanent().GetValue(), 1);
  perso.Decode(Join(0x0D03, With(With(kPerso, Element(0x0633, Ascii("0"))), Element(0x0632, Ascii("15032031")))));
  EXPECT_EQ(perso.DateOfExpiry().GetValue(), DateTime(2031, 3, 15));
  EXPECT_EQ(perso.Permanent().GetValue(), 0);

  ZK::VariableAdminDataBlock admin;
  admin.Decode(Join(0x0D04, kAdmin));
  EXPECT_EQ(admin.Gender().GetValue(), 1);
  EXPECT_EQ(admin.InsuredFrom().GetValue(), DateTime(2010, 1, 1));
  EXPECT_EQ(admin.TaxpayerResidence().GetValue(), u"Town");
  for (const auto* element : admin.Elements()) {
    if (element->Presence() != ZK::ElementPresence::Mandatory) {
      EXPECT_TRUE(element->IsNull()) << element->Tag();
    }
  }
  for (const auto& [bytes, gender] : {std::pair{"00", 0}, {"01", 1}, {"02", 2}}) {
    admin.Decode(Join(0x0D04, With(kAdmin, Element(0x0643, Ascii(bytes)))));
    EXPECT_EQ(admin.Gender().GetValue(), gender);
  }
  admin.Decode(Join(0x0D04, With(With(With(kAdmin, Element(0x0651, Ascii("1"))), Element(0x064F, Filled(440))),
                                 Element(0x065E, Filled(400)))));
  EXPECT_EQ(admin.CarrierFamilyMember().GetValue(), 1);
  EXPECT_EQ(admin.InsuranceBasisRZZO().GetValue().size(), 220u);
  EXPECT_EQ(admin.TaxpayerName().GetValue().size(), 200u);
  // A UTF-16 value of five bytes is two characters.
  admin.Decode(Join(0x0D04, With(kAdmin, Element(0x0641, {'A', 0, 'B', 0, 'C'}))));
  EXPECT_EQ(admin.ParentName().GetValue(), u"AB");
}

TEST(DataBlocks, RefuseWhatTheCardMustNotHold) {
  using Decode = std::function<std::string()>;
  const std::pair<Decode, std::string> cases[] = {
      {[] { return DecodeError<ZK::DocumentDataBlock>(0x0D01, With(kDocument, Element(0x0611, Filled(98)))); }, "no exception"},
      {[] { return DecodeError<ZK::DocumentDataBlock>(0x0D01, With(kDocument, Element(0x0611, Filled(100)))); },
       "Length 100 of TLV element with tag 0x611 in given block is larger than maximum allowed 98"},
      {[] { return DecodeError<ZK::DocumentDataBlock>(0x0D01, Without(Without(kDocument, 0x0611), 0x0612)); },
       "Mandatory element with tag 0x0611 not found in block"},
      {[] { return DecodeError<ZK::DocumentDataBlock>(0x0D02, kDocument); },
       "Declared block tag 0xD02 is different from required value 0xD01"},
      {[] { return DecodeError<ZK::FixedPersoDataBlock>(0x0D02, With(kFixedPerso, Element(0x0622, Filled(101)))); },
       "Length 101 of TLV element with tag 0x622 in given block is larger than maximum allowed 100"},
      {[] { return DecodeError<ZK::FixedPersoDataBlock>(0x0D02, With(kFixedPerso, Element(0x0626, Ascii("0102198000")))); },
       "Length 10 of TLV element with tag 0x626 in given block is larger than maximum allowed 8"},
      {[] { return DecodeError<ZK::FixedPersoDataBlock>(0x0D02, With(kFixedPerso, Element(0x0626, Ascii("0102198")))); },
       "Date element has incorrect size of 7"},
      {[] { return DecodeError<ZK::VariablePersoDataBlock>(0x0D03, With(kPerso, Element(0x0633, Ascii("2")))); },
       "Element with tag 0x633 has invalid value"},
      {[] { return DecodeError<ZK::VariablePersoDataBlock>(0x0D03, With(kPerso, Element(0x0633, Ascii("01")))); },
       "Length 2 of TLV element with tag 0x633 in given block is larger than maximum allowed 1"},
      {[] { return DecodeError<ZK::VariablePersoDataBlock>(0x0D03, Without(kPerso, 0x0633)); },
       "Mandatory element with tag 0x0633 not found in block"},
      {[] { return DecodeError<ZK::VariablePersoDataBlock>(0x0D03, With(kPerso, Element(0x0630, Ascii("000123456789")))); },
       "Length 12 of TLV element with tag 0x630 in given block is larger than maximum allowed 11"},
      // The list order decides which failure is reported: 0x0650 comes between 0x064D and 0x064E.
      {[] { return DecodeError<ZK::VariableAdminDataBlock>(0x0D04, Without(Without(kAdmin, 0x064D), 0x064E)); },
       "Mandatory element with tag 0x064D not found in block"},
      {[] { return DecodeError<ZK::VariableAdminDataBlock>(0x0D04, With(Without(kAdmin, 0x064E), Element(0x0650, Filled(41)))); },
       "Length 41 of TLV element with tag 0x650 in given block is larger than maximum allowed 40"},
      {[] { return DecodeError<ZK::VariableAdminDataBlock>(0x0D04, With(kAdmin, Element(0x0651, Ascii("2")))); },
       "Element with tag 0x651 has invalid value"},
      {[] { return DecodeError<ZK::VariableAdminDataBlock>(0x0D04, With(kAdmin, Element(0x065E, Filled(401)))); },
       "Length 401 of TLV element with tag 0x65E in given block is larger than maximum allowed 400"},
      {[] { return DecodeError<ZK::VariableAdminDataBlock>(0x0D04, With(kAdmin, Element(0x0646, Ascii("110000")))); },
       "Length 6 of TLV element with tag 0x646 in given block is larger than maximum allowed 5"},
  };
  for (const auto& [decode, message] : cases) EXPECT_EQ(decode(), message);
  for (const char* gender : {"0", "1", "2", "03", "10"}) {
    EXPECT_EQ(DecodeError<ZK::VariableAdminDataBlock>(0x0D04, With(kAdmin, Element(0x0643, Ascii(gender)))),
              "Element with tag 0x643 has invalid value")
        << gender;
  }
  ZK::VariablePersoDataBlock block;
  block.Permanent().SetValue(2);
  EXPECT_EQ(CardError([&] { block.Permanent().GetBytes(); }), "Number 2 is not valid value for tag 0x633");
}
