#include "model/variable_admin_data_block.h"

#include "model/code_page.h"

namespace ZK {

namespace {
constexpr auto M = ElementPresence::Mandatory;
constexpr auto O = ElementPresence::Absent;
}  // namespace

// Built once, thread-safely, on first use (at the latest by the first block).
const NumberTable& VariableAdminDataBlock::GenderTable() {
  static const NumberTable table{{0, {'0', '0'}}, {1, {'0', '1'}}, {2, {'0', '2'}}};
  return table;
}

const NumberTable& VariableAdminDataBlock::CarrierFamilyMemberTable() {
  static const NumberTable table{{0, {'0'}}, {1, {'1'}}};
  return table;
}

VariableAdminDataBlock::VariableAdminDataBlock()
    : TlvBlock(kBlockTag),
      cardID_(0x0640, 11, M, kCodePageUsAscii),
      parentName_(0x0641, 100, O, kCodePageUtf16),
      parentNameLatin_(0x0642, 100, O, kCodePageUtf16),
      gender_(0x0643, 2, M, GenderTable()),
      idNumber_(0x0644, 13, M, kCodePageUsAscii),
      street_(0x0645, 100, M, kCodePageUtf16),
      postNumber_(0x0646, 5, O, kCodePageUsAscii),
      municipality_(0x0647, 50, M, kCodePageUtf16),
      place_(0x0648, 50, M, kCodePageUtf16),
      streetCode_(0x0649, 9, M, kCodePageUsAscii),
      number_(0x064A, 10, M, kCodePageUtf16),
      entrance_(0x064B, 10, O, kCodePageUtf16),
      apartment_(0x064C, 10, O, kCodePageUtf16),
      rzzoUserRegistrationNumber_(0x064D, 10, M, kCodePageUsAscii),
      insuranceBasisRZZOCode_(0x064E, 4, M, kCodePageUsAscii),
      insuranceBasisRZZO_(0x064F, 440, M, kCodePageUtf16),
      carrierRelationship_(0x0650, 40, O, kCodePageUtf16),
      carrierFamilyMember_(0x0651, 1, O, CarrierFamilyMemberTable()),
      carrierIdNumber_(0x0652, 13, O, kCodePageUsAscii),
      carrierInsurantNumber_(0x0653, 11, O, kCodePageUsAscii),
      carrierLastName_(0x0654, 100, O, kCodePageUtf16),
      carrierLastNameLatin_(0x0655, 100, O, kCodePageUtf16),
      carrierFirstName_(0x0656, 100, O, kCodePageUtf16),
      carrierFirstNameLatin_(0x0657, 100, O, kCodePageUtf16),
      insuredFrom_(0x0658, 8, M),
      countryCode_(0x0659, 3, M, kCodePageUsAscii),
      country_(0x065A, 100, M, kCodePageUtf16),
      bookletIssuerCode_(0x065B, 3, M, kCodePageUsAscii),
      insurerBranch_(0x065C, 60, M, kCodePageUtf16),
      insurerOffice_(0x065D, 70, O, kCodePageUtf16),
      taxpayerName_(0x065E, 400, M, kCodePageUtf16),
      taxpayerResidence_(0x065F, 50, M, kCodePageUtf16),
      taxpayerNumber_(0x0660, 9, O, kCodePageUsAscii),
      taxpayerIdNumber_(0x0661, 13, O, kCodePageUsAscii),
      taxpayerActivityCode_(0x0662, 5, O, kCodePageUsAscii),
      participationFreeBecause_(0x0663, 3, O, kCodePageUsAscii) {}

// List order decides which failure decoding reports first; it places 0x0650
// (CarrierRelationship) between 0x064D and 0x064E
// although its property comes after 0x064F.
std::vector<TlvElement*> VariableAdminDataBlock::Elements() {
  return {&cardID_, &parentName_, &parentNameLatin_, &gender_, &idNumber_, &street_, &postNumber_,
          &municipality_, &place_, &streetCode_, &number_, &entrance_, &apartment_,
          &rzzoUserRegistrationNumber_, &carrierRelationship_, &insuranceBasisRZZOCode_,
          &insuranceBasisRZZO_, &carrierFamilyMember_, &carrierIdNumber_, &carrierInsurantNumber_,
          &carrierLastName_, &carrierLastNameLatin_, &carrierFirstName_, &carrierFirstNameLatin_,
          &insuredFrom_, &countryCode_, &country_, &bookletIssuerCode_, &insurerBranch_,
          &insurerOffice_, &taxpayerName_, &taxpayerResidence_, &taxpayerNumber_,
          &taxpayerIdNumber_, &taxpayerActivityCode_, &participationFreeBecause_};
}

}  // namespace ZK
