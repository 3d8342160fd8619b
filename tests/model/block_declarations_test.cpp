// Every element of the four data blocks, row by row: tag, kind, code page,
// maximum length and presence, in list order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/date_element.h"
#include "model/document_data_block.h"
#include "model/fixed_perso_data_block.h"
#include "model/number_element.h"
#include "model/string_element.h"
#include "model/variable_admin_data_block.h"
#include "model/variable_perso_data_block.h"

namespace {

constexpr bool M = true;   // mandatory
constexpr bool O = false;  // optional

// Kind as one letter: T text, D date, N number; code page 0 for kinds without one.
struct Row {
  std::uint16_t tag;
  char kind;
  std::uint32_t codePage;
  std::uint32_t maxLength;
  bool mandatory;
};

Row Describe(const ZK::TlvElement& element) {
  Row row{element.Tag(), '?', 0, element.MaxLength(), element.Presence() == ZK::ElementPresence::Mandatory};
  if (const auto* text = dynamic_cast<const ZK::StringElement*>(&element)) {
    row.kind = 'T';
    row.codePage = text->CodePage();
  } else if (dynamic_cast<const ZK::DateElement*>(&element) != nullptr) {
    row.kind = 'D';
  } else if (dynamic_cast<const ZK::NumberElement*>(&element) != nullptr) {
    row.kind = 'N';
  }
  return row;
}

std::string Text(const Row& row) {
  return std::to_string(row.tag) + " " + row.kind + " cp" + std::to_string(row.codePage) + " max" +
         std::to_string(row.maxLength) + (row.mandatory ? " M" : " O");
}

// A new block: every optional element starts Absent.
void ExpectRows(const ZK::TlvBlock& block, const std::vector<Row>& expected) {
  const auto elements = block.Elements();
  ASSERT_EQ(elements.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(Text(Describe(*elements[i])), Text(expected[i])) << "list position " << i + 1;
    if (!expected[i].mandatory) {
      EXPECT_EQ(elements[i]->Presence(), ZK::ElementPresence::Absent);
    }
  }
}

TEST(BlockDeclarations, DocumentBlock) {
  const ZK::DocumentDataBlock block;
  EXPECT_EQ(block.RequiredTag(), 0x0D01);
  ExpectRows(block, {{0x0611, 'T', 1200, 98, M}, {0x0612, 'T', 20127, 15, M}, {0x0613, 'T', 20127, 11, M},
                     {0x0615, 'D', 0, 8, M},     {0x0616, 'D', 0, 8, M},      {0x0617, 'T', 20127, 16, M},
                     {0x0618, 'T', 20127, 2, M}});
}

TEST(BlockDeclarations, FixedPersonalBlock) {
  const ZK::FixedPersoDataBlock block;
  EXPECT_EQ(block.RequiredTag(), 0x0D02);
  ExpectRows(block, {{0x0621, 'T', 20127, 11, M}, {0x0622, 'T', 1200, 100, M}, {0x0623, 'T', 1200, 100, M},
                     {0x0624, 'T', 1200, 100, M}, {0x0625, 'T', 1200, 100, M}, {0x0626, 'D', 0, 8, M}});
}

TEST(BlockDeclarations, VariablePersonalBlock) {
  const ZK::VariablePersoDataBlock block;
  EXPECT_EQ(block.RequiredTag(), 0x0D03);
  ExpectRows(block, {{0x0630, 'T', 20127, 11, M}, {0x0631, 'D', 0, 8, M}, {0x0632, 'D', 0, 8, O},
                     {0x0633, 'N', 0, 1, M}});
}

TEST(BlockDeclarations, VariableAdministrativeBlock) {
  const ZK::VariableAdminDataBlock block;
  EXPECT_EQ(block.RequiredTag(), 0x0D04);
  ExpectRows(block, {{0x0640, 'T', 20127, 11, M}, {0x0641, 'T', 1200, 100, O}, {0x0642, 'T', 1200, 100, O},
                     {0x0643, 'N', 0, 2, M},      {0x0644, 'T', 20127, 13, M}, {0x0645, 'T', 1200, 100, M},
                     {0x0646, 'T', 20127, 5, O},  {0x0647, 'T', 1200, 50, M},  {0x0648, 'T', 1200, 50, M},
                     {0x0649, 'T', 20127, 9, M},  {0x064A, 'T', 1200, 10, M},  {0x064B, 'T', 1200, 10, O},
                     {0x064C, 'T', 1200, 10, O},  {0x064D, 'T', 20127, 10, M}, {0x0650, 'T', 1200, 40, O},
                     {0x064E, 'T', 20127, 4, M},  {0x064F, 'T', 1200, 440, M}, {0x0651, 'N', 0, 1, O},
                     {0x0652, 'T', 20127, 13, O}, {0x0653, 'T', 20127, 11, O}, {0x0654, 'T', 1200, 100, O},
                     {0x0655, 'T', 1200, 100, O}, {0x0656, 'T', 1200, 100, O}, {0x0657, 'T', 1200, 100, O},
                     {0x0658, 'D', 0, 8, M},      {0x0659, 'T', 20127, 3, M},  {0x065A, 'T', 1200, 100, M},
                     {0x065B, 'T', 20127, 3, M},  {0x065C, 'T', 1200, 60, M},  {0x065D, 'T', 1200, 70, O},
                     {0x065E, 'T', 1200, 400, M}, {0x065F, 'T', 1200, 50, M},  {0x0660, 'T', 20127, 9, O},
                     {0x0661, 'T', 20127, 13, O}, {0x0662, 'T', 20127, 5, O},  {0x0663, 'T', 20127, 3, O}});
}

// The tables pair numbers and bytes in this order; the first entry wins both ways.
TEST(BlockDeclarations, NumberTables) {
  using Entries = std::vector<ZK::NumberTable::Entry>;
  EXPECT_EQ(ZK::VariableAdminDataBlock::GenderTable().Entries(),
            (Entries{{0, {'0', '0'}}, {1, {'0', '1'}}, {2, {'0', '2'}}}));
  EXPECT_EQ(ZK::VariableAdminDataBlock::CarrierFamilyMemberTable().Entries(), (Entries{{0, {'0'}}, {1, {'1'}}}));
  EXPECT_EQ(ZK::VariablePersoDataBlock::PermanentTable().Entries(), (Entries{{0, {'0'}}, {1, {'1'}}}));
  const ZK::VariablePersoDataBlock perso;
  EXPECT_EQ(&perso.Permanent().Table(), &ZK::VariablePersoDataBlock::PermanentTable());
  const ZK::VariableAdminDataBlock admin;
  EXPECT_EQ(&admin.CarrierFamilyMember().Table(), &ZK::VariableAdminDataBlock::CarrierFamilyMemberTable());
}

}  // namespace
