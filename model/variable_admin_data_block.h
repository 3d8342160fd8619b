// Block 0x0D04: the insurance data that can change during the card's life (parent,
// gender, address, insurance basis, carrier, country, booklet issuer, taxpayer).
// 36 elements, 18 mandatory and 18 optional.
#pragma once

#include "model/date_element.h"
#include "model/number_element.h"
#include "model/string_element.h"
#include "model/tlv_block.h"

namespace ZK {

class VariableAdminDataBlock : public TlvBlock {
 public:
  static constexpr std::uint16_t kBlockTag = 0x0D04;

  // Gender: 0 = "00", 1 = "01", 2 = "02".
  static const NumberTable& GenderTable();
  // CarrierFamilyMember: 0 = "0", 1 = "1".
  static const NumberTable& CarrierFamilyMemberTable();

  VariableAdminDataBlock();

  std::vector<TlvElement*> Elements() override;
  using TlvBlock::Elements;

  // Elements by property name, in property order (optional ones marked).
  StringElement& CardID() { return cardID_; }
  StringElement& ParentName() { return parentName_; }  // optional
  StringElement& ParentNameLatin() { return parentNameLatin_; }  // optional
  NumberElement& Gender() { return gender_; }
  StringElement& IDNumber() { return idNumber_; }
  StringElement& Street() { return street_; }
  StringElement& PostNumber() { return postNumber_; }  // optional
  StringElement& Municipality() { return municipality_; }
  StringElement& Place() { return place_; }
  StringElement& StreetCode() { return streetCode_; }
  StringElement& Number() { return number_; }
  StringElement& Entrance() { return entrance_; }  // optional
  StringElement& Apartment() { return apartment_; }  // optional
  StringElement& RZZOUserRegistrationNumber() { return rzzoUserRegistrationNumber_; }
  StringElement& InsuranceBasisRZZOCode() { return insuranceBasisRZZOCode_; }
  StringElement& InsuranceBasisRZZO() { return insuranceBasisRZZO_; }
  StringElement& CarrierRelationship() { return carrierRelationship_; }  // optional
  NumberElement& CarrierFamilyMember() { return carrierFamilyMember_; }  // optional
  StringElement& CarrierIdNumber() { return carrierIdNumber_; }  // optional
  StringElement& CarrierInsurantNumber() { return carrierInsurantNumber_; }  // optional
  StringElement& CarrierLastName() { return carrierLastName_; }  // optional
  StringElement& CarrierLastNameLatin() { return carrierLastNameLatin_; }  // optional
  StringElement& CarrierFirstName() { return carrierFirstName_; }  // optional
  StringElement& CarrierFirstNameLatin() { return carrierFirstNameLatin_; }  // optional
  DateElement& InsuredFrom() { return insuredFrom_; }
  StringElement& CountryCode() { return countryCode_; }
  StringElement& Country() { return country_; }
  StringElement& BookletIssuerCode() { return bookletIssuerCode_; }
  StringElement& InsurerBranch() { return insurerBranch_; }
  StringElement& InsurerOffice() { return insurerOffice_; }  // optional
  StringElement& TaxpayerName() { return taxpayerName_; }
  StringElement& TaxpayerResidence() { return taxpayerResidence_; }
  StringElement& TaxpayerNumber() { return taxpayerNumber_; }  // optional
  StringElement& TaxpayerIdNumber() { return taxpayerIdNumber_; }  // optional
  StringElement& TaxpayerActivityCode() { return taxpayerActivityCode_; }  // optional
  StringElement& ParticipationFreeBecause() { return participationFreeBecause_; }  // optional

  const StringElement& CardID() const { return cardID_; }
  const StringElement& ParentName() const { return parentName_; }
  const StringElement& ParentNameLatin() const { return parentNameLatin_; }
  const NumberElement& Gender() const { return gender_; }
  const StringElement& IDNumber() const { return idNumber_; }
  const StringElement& Street() const { return street_; }
  const StringElement& PostNumber() const { return postNumber_; }
  const StringElement& Municipality() const { return municipality_; }
  const StringElement& Place() const { return place_; }
  const StringElement& StreetCode() const { return streetCode_; }
  const StringElement& Number() const { return number_; }
  const StringElement& Entrance() const { return entrance_; }
  const StringElement& Apartment() const { return apartment_; }
  const StringElement& RZZOUserRegistrationNumber() const { return rzzoUserRegistrationNumber_; }
  const StringElement& InsuranceBasisRZZOCode() const { return insuranceBasisRZZOCode_; }
  const StringElement& InsuranceBasisRZZO() const { return insuranceBasisRZZO_; }
  const StringElement& CarrierRelationship() const { return carrierRelationship_; }
  const NumberElement& CarrierFamilyMember() const { return carrierFamilyMember_; }
  const StringElement& CarrierIdNumber() const { return carrierIdNumber_; }
  const StringElement& CarrierInsurantNumber() const { return carrierInsurantNumber_; }
  const StringElement& CarrierLastName() const { return carrierLastName_; }
  const StringElement& CarrierLastNameLatin() const { return carrierLastNameLatin_; }
  const StringElement& CarrierFirstName() const { return carrierFirstName_; }
  const StringElement& CarrierFirstNameLatin() const { return carrierFirstNameLatin_; }
  const DateElement& InsuredFrom() const { return insuredFrom_; }
  const StringElement& CountryCode() const { return countryCode_; }
  const StringElement& Country() const { return country_; }
  const StringElement& BookletIssuerCode() const { return bookletIssuerCode_; }
  const StringElement& InsurerBranch() const { return insurerBranch_; }
  const StringElement& InsurerOffice() const { return insurerOffice_; }
  const StringElement& TaxpayerName() const { return taxpayerName_; }
  const StringElement& TaxpayerResidence() const { return taxpayerResidence_; }
  const StringElement& TaxpayerNumber() const { return taxpayerNumber_; }
  const StringElement& TaxpayerIdNumber() const { return taxpayerIdNumber_; }
  const StringElement& TaxpayerActivityCode() const { return taxpayerActivityCode_; }
  const StringElement& ParticipationFreeBecause() const { return participationFreeBecause_; }

 private:
  StringElement cardID_;
  StringElement parentName_;
  StringElement parentNameLatin_;
  NumberElement gender_;
  StringElement idNumber_;
  StringElement street_;
  StringElement postNumber_;
  StringElement municipality_;
  StringElement place_;
  StringElement streetCode_;
  StringElement number_;
  StringElement entrance_;
  StringElement apartment_;
  StringElement rzzoUserRegistrationNumber_;
  StringElement insuranceBasisRZZOCode_;
  StringElement insuranceBasisRZZO_;
  StringElement carrierRelationship_;
  NumberElement carrierFamilyMember_;
  StringElement carrierIdNumber_;
  StringElement carrierInsurantNumber_;
  StringElement carrierLastName_;
  StringElement carrierLastNameLatin_;
  StringElement carrierFirstName_;
  StringElement carrierFirstNameLatin_;
  DateElement insuredFrom_;
  StringElement countryCode_;
  StringElement country_;
  StringElement bookletIssuerCode_;
  StringElement insurerBranch_;
  StringElement insurerOffice_;
  StringElement taxpayerName_;
  StringElement taxpayerResidence_;
  StringElement taxpayerNumber_;
  StringElement taxpayerIdNumber_;
  StringElement taxpayerActivityCode_;
  StringElement participationFreeBecause_;
};

}  // namespace ZK
