// The four data block declarations: tags, kinds, lengths, presence and list order.
#include <gtest/gtest.h>

#include <algorithm>

#include "block_bytes.h"
#include "model/document_data_block.h"
#include "model/fixed_perso_data_block.h"
#include "model/variable_admin_data_block.h"
#include "model/variable_perso_data_block.h"

using namespace ZKTest;
using TAVQ::DateTime;

namespace {

std::vector<ByteArray> DocumentElements() {
  return {Element(0x0611, Utf16(u"Insurer \u017D")), Element(0x0612, Ascii("INS01")),
          Element(0x0613, Ascii("00012345678")), Element(0x0615, Ascii("15032021")),
          Element(0x0616, Ascii("14032031")), Element(0x0617, Ascii("1234567890ABCDEF")),
          Element(0x0618, Ascii("en"))};
}

ByteArray Join(std::uint16_t tag, const std::vector<ByteArray>& elements) {
  ByteArray body;
  for (const ByteArray& element : elements) body.insert(body.end(), element.begin(), element.end());
  return Element(tag, body);
}

template <class Block>
std::string DecodeError(const ByteArray& bytes) {
  Block block;
  return CardError([&] { block.Decode(bytes); });
}

TEST(DocumentDataBlock, DecodesEveryElement) {
  ZK::DocumentDataBlock block;
  auto elements = DocumentElements();
  elements.insert(elements.begin() + 3, Element(0x0614, Ascii("undeclared")));
  block.Decode(Join(0x0D01, elements));
  EXPECT_EQ(block.InsurerName().GetValue(), u"Insurer \u017D");
  EXPECT_EQ(block.InsurerID().GetValue(), u"INS01");
  EXPECT_EQ(block.CardID().GetValue(), u"00012345678");
  EXPECT_EQ(block.DateOfIssue().GetValue(), DateTime(2021, 3, 15));
  EXPECT_EQ(block.DateOfExpiry().GetValue(), DateTime(2031, 3, 14));
  EXPECT_EQ(block.ChipSerialNumber().GetValue(), u"1234567890ABCDEF");
  EXPECT_EQ(block.PrintLanguage().GetValue(), u"en");
}

TEST(DocumentDataBlock, InsurerNameHoldsFortyNineCharacters) {
  auto elements = DocumentElements();
  elements[0] = Element(0x0611, Filled(98));
  EXPECT_EQ(DecodeError<ZK::DocumentDataBlock>(Join(0x0D01, elements)), "no exception");
  elements[0] = Element(0x0611, Filled(100));
  EXPECT_EQ(DecodeError<ZK::DocumentDataBlock>(Join(0x0D01, elements)),
            "Length 100 of TLV element with tag 0x611 in given block is larger than maximum allowed 98");
}

TEST(DocumentDataBlock, TheLowestMissingTagIsReported) {
  auto elements = DocumentElements();
  elements.erase(elements.begin(), elements.begin() + 2);
  EXPECT_EQ(DecodeError<ZK::DocumentDataBlock>(Join(0x0D01, elements)),
            "Mandatory element with tag 0x0611 not found in block");
}

TEST(DocumentDataBlock, RefusesTheBytesOfAnotherBlock) {
  EXPECT_EQ(DecodeError<ZK::DocumentDataBlock>(Join(0x0D02, DocumentElements())),
            "Declared block tag 0xD02 is different from required value 0xD01");
}

std::vector<ByteArray> FixedPersoElements() {
  return {Element(0x0621, Ascii("12345678901")), Element(0x0622, Utf16(u"\u041D\u043E\u0432\u0430\u043A")),
          Element(0x0623, Utf16(u"Novak")),       Element(0x0624, Utf16(u"\u0410\u043D\u0430")),
          Element(0x0625, Utf16(u"Ana")),         Element(0x0626, Ascii("01021980"))};
}

TEST(FixedPersoDataBlock, DecodesEveryElement) {
  ZK::FixedPersoDataBlock block;
  block.Decode(Join(0x0D02, FixedPersoElements()));
  EXPECT_EQ(block.InsurantNumber().GetValue(), u"12345678901");
  EXPECT_EQ(block.LastName().GetValue(), u"\u041D\u043E\u0432\u0430\u043A");
  EXPECT_EQ(block.LastNameLatin().GetValue(), u"Novak");
  EXPECT_EQ(block.FirstName().GetValue(), u"\u0410\u043D\u0430");
  EXPECT_EQ(block.FirstNameLatin().GetValue(), u"Ana");
  EXPECT_EQ(block.DateOfBirth().GetValue(), DateTime(1980, 2, 1));
}

TEST(FixedPersoDataBlock, LengthFailuresNameTheElement) {
  auto elements = FixedPersoElements();
  elements[1] = Element(0x0622, Filled(101));
  EXPECT_EQ(DecodeError<ZK::FixedPersoDataBlock>(Join(0x0D02, elements)),
            "Length 101 of TLV element with tag 0x622 in given block is larger than maximum allowed 100");
  elements = FixedPersoElements();
  elements[5] = Element(0x0626, Ascii("0102198000"));
  EXPECT_EQ(DecodeError<ZK::FixedPersoDataBlock>(Join(0x0D02, elements)),
            "Length 10 of TLV element with tag 0x626 in given block is larger than maximum allowed 8");
  elements[5] = Element(0x0626, Ascii("0102198"));
  EXPECT_EQ(DecodeError<ZK::FixedPersoDataBlock>(Join(0x0D02, elements)), "Date element has incorrect size of 7");
}

std::vector<ByteArray> PersoElements(const std::string& permanent = "1") {
  return {Element(0x0630, Ascii("00012345678")), Element(0x0631, Ascii("15032021")),
          Element(0x0633, Ascii(permanent))};
}

TEST(VariablePersoDataBlock, DateOfExpiryIsOptional) {
  ZK::VariablePersoDataBlock block;
  block.Decode(Join(0x0D03, PersoElements()));
  EXPECT_EQ(block.CardID().GetValue(), u"00012345678");
  EXPECT_EQ(block.DateOfIssue().GetValue(), DateTime(2021, 3, 15));
  EXPECT_TRUE(block.DateOfExpiry().IsNull());
  EXPECT_EQ(block.Permanent().GetValue(), 1);
  EXPECT_EQ(CardError([&] { block.DateOfExpiry().GetValue(); }),
            "Referenced non-existent optional value with tag 1586");

  auto elements = PersoElements("0");
  elements.push_back(Element(0x0632, Ascii("15032031")));
  block.Decode(Join(0x0D03, elements));
  EXPECT_EQ(block.DateOfExpiry().GetValue(), DateTime(2031, 3, 15));
  EXPECT_EQ(block.Permanent().GetValue(), 0);
}

TEST(VariablePersoDataBlock, PermanentIsOneDigitFromItsTable) {
  EXPECT_EQ(DecodeError<ZK::VariablePersoDataBlock>(Join(0x0D03, PersoElements("2"))),
            "Element with tag 0x633 has invalid value");
  EXPECT_EQ(DecodeError<ZK::VariablePersoDataBlock>(Join(0x0D03, PersoElements("01"))),
            "Length 2 of TLV element with tag 0x633 in given block is larger than maximum allowed 1");
  auto elements = PersoElements();
  elements.pop_back();
  EXPECT_EQ(DecodeError<ZK::VariablePersoDataBlock>(Join(0x0D03, elements)),
            "Mandatory element with tag 0x0633 not found in block");

  ZK::VariablePersoDataBlock block;
  block.Permanent().SetValue(2);
  EXPECT_EQ(CardError([&] { block.Permanent().GetBytes(); }), "Number 2 is not valid value for tag 0x633");
}

TEST(VariablePersoDataBlock, CardIdHoldsElevenBytes) {
  auto elements = PersoElements();
  elements[0] = Element(0x0630, Ascii("000123456789"));
  EXPECT_EQ(DecodeError<ZK::VariablePersoDataBlock>(Join(0x0D03, elements)),
            "Length 12 of TLV element with tag 0x630 in given block is larger than maximum allowed 11");
}

std::vector<ByteArray> AdminMandatoryElements() {
  return {Element(0x0640, Ascii("00012345678")), Element(0x0643, Ascii("01")),
          Element(0x0644, Ascii("0102980710011")), Element(0x0645, Utf16(u"Main Street")),
          Element(0x0647, Utf16(u"Centre")),      Element(0x0648, Utf16(u"Town")),
          Element(0x0649, Ascii("123")),          Element(0x064A, Utf16(u"12a")),
          Element(0x064D, Ascii("1234567890")),   Element(0x064E, Ascii("10")),
          Element(0x064F, Utf16(u"Employed")),    Element(0x0658, Ascii("01012010")),
          Element(0x0659, Ascii("XX")),           Element(0x065A, Utf16(u"Country")),
          Element(0x065B, Ascii("101")),          Element(0x065C, Utf16(u"Branch")),
          Element(0x065E, Utf16(u"Company")),     Element(0x065F, Utf16(u"Town"))};
}

std::vector<ByteArray> Without(std::vector<ByteArray> elements, std::uint16_t tag) {
  elements.erase(std::remove_if(elements.begin(), elements.end(),
                                [tag](const ByteArray& e) { return (e[0] | (e[1] << 8)) == tag; }),
                 elements.end());
  return elements;
}

std::vector<ByteArray> With(std::vector<ByteArray> elements, const ByteArray& element) {
  elements.insert(elements.begin(), element);
  return elements;
}

TEST(VariableAdminDataBlock, DeclaresThirtySixElementsWithCarrierRelationshipAfter064D) {
  const ZK::VariableAdminDataBlock block;
  const auto elements = block.Elements();
  ASSERT_EQ(elements.size(), 36u);
  std::vector<std::uint16_t> tags;
  int mandatory = 0;
  for (const auto* element : elements) {
    tags.push_back(element->Tag());
    mandatory += element->Presence() == ZK::ElementPresence::Mandatory;
  }
  EXPECT_EQ(mandatory, 18);
  EXPECT_EQ(tags[13], 0x064D);
  EXPECT_EQ(tags[14], 0x0650);
  EXPECT_EQ(tags[15], 0x064E);
  EXPECT_EQ(tags[35], 0x0663);
}

TEST(VariableAdminDataBlock, OnlyTheMandatoryElementsDecode) {
  ZK::VariableAdminDataBlock block;
  block.Decode(Join(0x0D04, AdminMandatoryElements()));
  EXPECT_EQ(block.Gender().GetValue(), 1);
  EXPECT_EQ(block.InsuredFrom().GetValue(), DateTime(2010, 1, 1));
  EXPECT_EQ(block.TaxpayerResidence().GetValue(), u"Town");
  for (const auto* element : block.Elements()) {
    if (element->Presence() != ZK::ElementPresence::Mandatory) {
      EXPECT_TRUE(element->IsNull()) << element->Tag();
    }
  }
}

TEST(VariableAdminDataBlock, ListOrderDecidesWhichFailureIsReported) {
  const auto mandatory = AdminMandatoryElements();
  EXPECT_EQ(DecodeError<ZK::VariableAdminDataBlock>(Join(0x0D04, Without(Without(mandatory, 0x064D), 0x064E))),
            "Mandatory element with tag 0x064D not found in block");
  EXPECT_EQ(DecodeError<ZK::VariableAdminDataBlock>(
                Join(0x0D04, With(Without(mandatory, 0x064E), Element(0x0650, Filled(41))))),
            "Length 41 of TLV element with tag 0x650 in given block is larger than maximum allowed 40");
}

TEST(VariableAdminDataBlock, GenderIsTwoDigitsFromItsTable) {
  const auto mandatory = Without(AdminMandatoryElements(), 0x0643);
  for (const auto& [bytes, gender] : {std::pair{"00", 0}, {"01", 1}, {"02", 2}}) {
    ZK::VariableAdminDataBlock block;
    block.Decode(Join(0x0D04, With(mandatory, Element(0x0643, Ascii(bytes)))));
    EXPECT_EQ(block.Gender().GetValue(), gender);
  }
  for (const char* bytes : {"0", "1", "2", "03", "10"}) {
    EXPECT_EQ(DecodeError<ZK::VariableAdminDataBlock>(Join(0x0D04, With(mandatory, Element(0x0643, Ascii(bytes))))),
              "Element with tag 0x643 has invalid value")
        << bytes;
  }
}

TEST(VariableAdminDataBlock, CarrierFamilyMemberIsOneDigitWhenPresent) {
  ZK::VariableAdminDataBlock block;
  block.Decode(Join(0x0D04, With(AdminMandatoryElements(), Element(0x0651, Ascii("1")))));
  EXPECT_EQ(block.CarrierFamilyMember().GetValue(), 1);
  EXPECT_EQ(DecodeError<ZK::VariableAdminDataBlock>(
                Join(0x0D04, With(AdminMandatoryElements(), Element(0x0651, Ascii("2"))))),
            "Element with tag 0x651 has invalid value");
}

TEST(VariableAdminDataBlock, LongTextsAndTheOptionalPostNumber) {
  auto elements = With(Without(Without(AdminMandatoryElements(), 0x064F), 0x065E), Element(0x064F, Filled(440)));
  ZK::VariableAdminDataBlock block;
  block.Decode(Join(0x0D04, With(elements, Element(0x065E, Filled(400)))));
  EXPECT_EQ(block.InsuranceBasisRZZO().GetValue().size(), 220u);
  EXPECT_EQ(block.TaxpayerName().GetValue().size(), 200u);

  EXPECT_EQ(DecodeError<ZK::VariableAdminDataBlock>(Join(0x0D04, With(elements, Element(0x065E, Filled(401))))),
            "Length 401 of TLV element with tag 0x65E in given block is larger than maximum allowed 400");
  EXPECT_EQ(DecodeError<ZK::VariableAdminDataBlock>(
                Join(0x0D04, With(AdminMandatoryElements(), Element(0x0646, Ascii("110000"))))),
            "Length 6 of TLV element with tag 0x646 in given block is larger than maximum allowed 5");
}

TEST(VariableAdminDataBlock, AUtf16ValueOfFiveBytesIsTwoCharacters) {
  ZK::VariableAdminDataBlock block;
  block.Decode(Join(0x0D04, With(AdminMandatoryElements(), Element(0x0641, {'A', 0, 'B', 0, 'C'}))));
  EXPECT_EQ(block.ParentName().GetValue(), u"AB");
}

TEST(NumberTables, AreSharedByEveryBlockOfAKind) {
  const ZK::VariableAdminDataBlock first;
  const ZK::VariableAdminDataBlock second;
  EXPECT_EQ(&first.Gender().Table(), &second.Gender().Table());
  EXPECT_EQ(&first.Gender().Table(), &ZK::VariableAdminDataBlock::GenderTable());
  const auto& entries = ZK::VariableAdminDataBlock::GenderTable().Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2], (ZK::NumberTable::Entry{2, Ascii("02")}));
}

}  // namespace
