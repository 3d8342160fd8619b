// The four data blocks decoded from card images and the block objects' Load, Store
// and property rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

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
using P = ZK::VariablePersoBlockObject;

std::string Hex(const ByteArray& bytes) { return TAVQ::ToNarrow(TAVQ::ToHexString(bytes)); }

template <class Object, class Value>
Value Get(const Object& object, HRESULT (Object::*get)(Value*) const) {
  Value value{};
  EXPECT_EQ((object.*get)(&value), S_OK);
  return value;
}

// Every element of the administrative block in tag order but those left out; each
// text holds the low byte of its own tag in hex ("4E"), so a crossed wire shows.
ByteArray AdminImage(const std::vector<std::uint16_t>& without = {}) {
  Elements elements;
  for (std::uint16_t tag = 0x0640; tag <= 0x0663; ++tag) {
    const std::string hex = Hex({static_cast<std::uint8_t>(tag)});
    const std::string typed = tag == 0x0643 ? "02" : tag == 0x0651 ? "1" : tag == 0x0658 ? "01012010" : hex;
    if (std::count(without.begin(), without.end(), tag) == 0) elements.push_back(Element(tag, Ascii(typed)));
  }
  return Block(0x0D04, elements);
}
// Optional elements: UTF-16 text, ASCII text and a number.
const std::vector<std::uint16_t> kSomeOptionals = {0x0641, 0x0646, 0x0651};

// The block's present elements in tag order.
ByteArray Image(const ZK::TlvBlock& block) {
  std::multimap<std::uint16_t, ByteArray> present;
  for (const ZK::TlvElement* element : block.Elements()) {
    if (const auto bytes = element->GetBytes()) present.emplace(element->Tag(), *bytes);
  }
  Elements elements;
  for (const auto& [tag, bytes] : present) elements.push_back(Element(tag, bytes));
  return Block(block.RequiredTag(), elements);
}

// The image decoded, loaded into a new object, stored into a new block and encoded.
template <class Object, class DataBlock>
std::string RoundTrip(const ByteArray& image) {
  DataBlock decoded, stored;
  decoded.Decode(image);
  Object object;
  EXPECT_EQ(object.Load(&decoded), S_OK);
  EXPECT_EQ(object.Store(&stored), S_OK);
  return Hex(Image(stored));
}

const Elements kDocument = {Element(0x0611, Utf16(u"Insurer \u017D")), Element(0x0612, Ascii("INS01")),
                            Element(0x0613, Ascii("00012345678")),     Element(0x0615, Ascii("15032021")),
                            Element(0x0616, Ascii("14032031")),        Element(0x0617, Ascii("1234567890ABCDEF")),
                            Element(0x0618, Ascii("en"))};
const Elements kPerso = {Element(0x0630, Ascii("00012345678")), Element(0x0631, Ascii("15032021")),
                         Element(0x0632, Ascii("14032031")), Element(0x0633, Ascii("1"))};

}  // namespace

TEST(DataBlocks, ReadOnlyBlocksShowThroughTheirObjects) {
  using D = ZK::DocumentBlockObject;
  using F = ZK::FixedPersoBlockObject;
  ZK::DocumentDataBlock documentBlock;
  documentBlock.Decode(Block(0x0D01, kDocument));
  ZK::FixedPersoDataBlock fixedBlock;
  fixedBlock.Decode(Block(0x0D02, {Element(0x0621, Ascii("12345678901")), Element(0x0622, Utf16(u"\u041D\u043E\u0432")),
                                   Element(0x0623, Utf16(u"Novak")), Element(0x0624, Utf16(u"\u0410\u043D\u0430")),
                                   Element(0x0625, Utf16(u"Ana")), Element(0x0626, Ascii("01021980"))}));
  D document;
  F fixed;
  ASSERT_EQ(document.Load(&documentBlock), S_OK);
  ASSERT_EQ(fixed.Load(&fixedBlock), S_OK);
  EXPECT_EQ((std::vector<WString>{Get(document, &D::get_InsurerName), Get(document, &D::get_InsurerID),
                                  Get(document, &D::get_CardID), Get(document, &D::get_ChipSerialNumber),
                                  Get(document, &D::get_PrintLanguage), Get(fixed, &F::get_InsurantNumber),
                                  Get(fixed, &F::get_LastName), Get(fixed, &F::get_LastNameLatin),
                                  Get(fixed, &F::get_FirstName), Get(fixed, &F::get_FirstNameLatin)}),
            (std::vector<WString>{u"Insurer \u017D", u"INS01", u"00012345678", u"1234567890ABCDEF", u"en",
                                  u"12345678901", u"\u041D\u043E\u0432", u"Novak", u"\u0410\u043D\u0430", u"Ana"}));
  // 2021-03-15, 2031-03-14 and 1980-02-01
  EXPECT_EQ((std::vector<double>{Get(document, &D::get_DateOfIssue), Get(document, &D::get_DateOfExpiry),
                                 Get(fixed, &F::get_DateOfBirth)}),
            (std::vector<double>{44270.0, 47921.0, 29252.0}));
}

TEST(DataBlocks, WritableBlocksRoundTripThroughTheirObjects) {
  EXPECT_EQ((RoundTrip<P, ZK::VariablePersoDataBlock>(Block(0x0D03, kPerso))), Hex(Block(0x0D03, kPerso)));
  for (const ByteArray& image : {AdminImage(), AdminImage(kSomeOptionals)}) {
    EXPECT_EQ((RoundTrip<O, ZK::VariableAdminDataBlock>(image)), Hex(image));
  }
}

TEST(VariableAdminBlockObject, EachKindOfValueShowsAndAnAbsentOptionalHidesBehindAFalseFlag) {
  ZK::VariableAdminDataBlock full, partial;
  full.Decode(AdminImage());
  partial.Decode(AdminImage(kSomeOptionals));
  O object;
  ASSERT_EQ(object.Load(&full), S_OK);
  EXPECT_EQ(Get(object, &O::get_CardID), u"40");
  EXPECT_EQ(Get(object, &O::get_Street), u"\u3534");  // "45" read as UTF-16
  EXPECT_EQ(Get(object, &O::get_Gender), 2);
  EXPECT_EQ(Get(object, &O::get_CarrierFamilyMember), 1);
  EXPECT_EQ(Get(object, &O::get_InsuredFrom), 40179.0);  // 2010-01-01
  EXPECT_TRUE(Get(object, &O::get_PostNumberSpecified));

  ASSERT_EQ(object.Load(&partial), S_OK);
  EXPECT_FALSE(Get(object, &O::get_ParentNameSpecified));
  WString text;
  std::int32_t number = 0;
  EXPECT_EQ(object.get_ParentName(&text), E_FAIL);
  EXPECT_EQ(object.get_ParentName(nullptr), E_INVALIDARG);  // the pointer first
  EXPECT_EQ(object.get_CarrierFamilyMember(&number), E_FAIL);
  // The flag restores the value loaded before; setting a value sets the flag.
  EXPECT_EQ(object.put_PostNumberSpecified(true), S_OK);
  EXPECT_EQ(Get(object, &O::get_PostNumber), u"46");
  EXPECT_EQ(object.put_ParentName(u"X"), S_OK);
  EXPECT_TRUE(Get(object, &O::get_ParentNameSpecified));
  EXPECT_EQ(object.put_ParentNameSpecified(false), S_OK);
  EXPECT_EQ(object.get_ParentName(&text), E_FAIL);
  EXPECT_EQ(object.put_CarrierFamilyMember(1), S_OK);
  EXPECT_EQ(Get(object, &O::get_CarrierFamilyMember), 1);
  // Store keeps unspecified optionals, always writes mandatory ones and leaves number checks to encoding.
  EXPECT_EQ(object.put_Gender(5), S_OK);
  ASSERT_EQ(object.Store(&full), S_OK);
  EXPECT_EQ(full.ParentName().GetBytes(), Ascii("41"));
  EXPECT_EQ(full.CardID().GetValue(), u"40");
  EXPECT_EQ(CardError([&] { full.Gender().GetBytes(); }), "Number 5 is not valid value for tag 0x643");
}

TEST(BlockObjects, TextEndsAtTheFirstNulBothWays) {
  O admin;
  EXPECT_EQ(admin.put_Street(WString(u"AB\0CD", 5)), S_OK);
  EXPECT_EQ(Get(admin, &O::get_Street), u"AB");
  Elements elements = kPerso;
  elements[0] = Element(0x0630, {'1', '2', 0, '3'});
  ZK::VariablePersoDataBlock block;
  block.Decode(Block(0x0D03, elements));
  P object;
  ASSERT_EQ(object.Load(&block), S_OK);
  EXPECT_EQ(Get(object, &P::get_CardID), u"12");
  ASSERT_EQ(object.Store(&block), S_OK);
  EXPECT_EQ(block.CardID().GetValue(), u"12");
}

TEST(BlockObjects, NullArgumentsAreRefusedAndChangeNothing) {
  P object;
  object.put_CardID(u"kept");
  for (HRESULT result : {object.Load(nullptr), object.Store(nullptr), ZK::DocumentBlockObject().Load(nullptr),
                         ZK::FixedPersoBlockObject().Load(nullptr), O().Load(nullptr), object.get_Permanent(nullptr),
                         object.get_DateOfIssue(nullptr)}) {
    EXPECT_EQ(result, E_INVALIDARG);
  }
  EXPECT_EQ(Get(object, &P::get_CardID), u"kept");
}
