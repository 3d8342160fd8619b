// The logic behind the ZKVariableAdminBlock Automation object: a copy of the values of
// the variable administrative block (0x0D04), one field per property. Every method returns its status
// as the Automation binding hands it on; Load/Store take the decoded block.
#pragma once

#include <cstdint>

#include "model/variable_admin_data_block.h"
#include "model/property_rules.h"

namespace ZK {

class VariableAdminBlockObject {
 public:
  // Null: E_INVALIDARG, nothing changes.
  HRESULT Load(const VariableAdminDataBlock* block);
  // Null: E_INVALIDARG. Validates nothing; encoding the block does.
  HRESULT Store(VariableAdminDataBlock* block) const;

  HRESULT get_CardID(TAVQ::WString* result) const { return GetText(cardID_, result); }
  HRESULT put_CardID(const TAVQ::WString& value) { return PutText(cardID_, value); }
  HRESULT get_ParentName(TAVQ::WString* result) const { return GetText(parentName_, result); }
  HRESULT put_ParentName(const TAVQ::WString& value) { return PutText(parentName_, value); }
  HRESULT get_ParentNameSpecified(bool* result) const { return GetSpecified(parentName_, result); }
  HRESULT put_ParentNameSpecified(bool value) { return PutSpecified(parentName_, value); }
  HRESULT get_ParentNameLatin(TAVQ::WString* result) const { return GetText(parentNameLatin_, result); }
  HRESULT put_ParentNameLatin(const TAVQ::WString& value) { return PutText(parentNameLatin_, value); }
  HRESULT get_ParentNameLatinSpecified(bool* result) const { return GetSpecified(parentNameLatin_, result); }
  HRESULT put_ParentNameLatinSpecified(bool value) { return PutSpecified(parentNameLatin_, value); }
  HRESULT get_Gender(std::int32_t* result) const { return GetNumber(gender_, result); }
  HRESULT put_Gender(std::int32_t value) { return PutNumber(gender_, value); }
  HRESULT get_IDNumber(TAVQ::WString* result) const { return GetText(idNumber_, result); }
  HRESULT put_IDNumber(const TAVQ::WString& value) { return PutText(idNumber_, value); }
  HRESULT get_Street(TAVQ::WString* result) const { return GetText(street_, result); }
  HRESULT put_Street(const TAVQ::WString& value) { return PutText(street_, value); }
  HRESULT get_PostNumber(TAVQ::WString* result) const { return GetText(postNumber_, result); }
  HRESULT put_PostNumber(const TAVQ::WString& value) { return PutText(postNumber_, value); }
  HRESULT get_PostNumberSpecified(bool* result) const { return GetSpecified(postNumber_, result); }
  HRESULT put_PostNumberSpecified(bool value) { return PutSpecified(postNumber_, value); }
  HRESULT get_Municipality(TAVQ::WString* result) const { return GetText(municipality_, result); }
  HRESULT put_Municipality(const TAVQ::WString& value) { return PutText(municipality_, value); }
  HRESULT get_Place(TAVQ::WString* result) const { return GetText(place_, result); }
  HRESULT put_Place(const TAVQ::WString& value) { return PutText(place_, value); }
  HRESULT get_StreetCode(TAVQ::WString* result) const { return GetText(streetCode_, result); }
  HRESULT put_StreetCode(const TAVQ::WString& value) { return PutText(streetCode_, value); }
  HRESULT get_Number(TAVQ::WString* result) const { return GetText(number_, result); }
  HRESULT put_Number(const TAVQ::WString& value) { return PutText(number_, value); }
  HRESULT get_Entrance(TAVQ::WString* result) const { return GetText(entrance_, result); }
  HRESULT put_Entrance(const TAVQ::WString& value) { return PutText(entrance_, value); }
  HRESULT get_EntranceSpecified(bool* result) const { return GetSpecified(entrance_, result); }
  HRESULT put_EntranceSpecified(bool value) { return PutSpecified(entrance_, value); }
  HRESULT get_Apartment(TAVQ::WString* result) const { return GetText(apartment_, result); }
  HRESULT put_Apartment(const TAVQ::WString& value) { return PutText(apartment_, value); }
  HRESULT get_ApartmentSpecified(bool* result) const { return GetSpecified(apartment_, result); }
  HRESULT put_ApartmentSpecified(bool value) { return PutSpecified(apartment_, value); }
  HRESULT get_RZZOUserRegistrationNumber(TAVQ::WString* result) const { return GetText(rzzoUserRegistrationNumber_, result); }
  HRESULT put_RZZOUserRegistrationNumber(const TAVQ::WString& value) { return PutText(rzzoUserRegistrationNumber_, value); }
  HRESULT get_InsuranceBasisRZZOCode(TAVQ::WString* result) const { return GetText(insuranceBasisRZZOCode_, result); }
  HRESULT put_InsuranceBasisRZZOCode(const TAVQ::WString& value) { return PutText(insuranceBasisRZZOCode_, value); }
  HRESULT get_InsuranceBasisRZZO(TAVQ::WString* result) const { return GetText(insuranceBasisRZZO_, result); }
  HRESULT put_InsuranceBasisRZZO(const TAVQ::WString& value) { return PutText(insuranceBasisRZZO_, value); }
  HRESULT get_CarrierRelationship(TAVQ::WString* result) const { return GetText(carrierRelationship_, result); }
  HRESULT put_CarrierRelationship(const TAVQ::WString& value) { return PutText(carrierRelationship_, value); }
  HRESULT get_CarrierRelationshipSpecified(bool* result) const { return GetSpecified(carrierRelationship_, result); }
  HRESULT put_CarrierRelationshipSpecified(bool value) { return PutSpecified(carrierRelationship_, value); }
  HRESULT get_CarrierFamilyMember(std::int32_t* result) const { return GetNumber(carrierFamilyMember_, result); }
  HRESULT put_CarrierFamilyMember(std::int32_t value) { return PutNumber(carrierFamilyMember_, value); }
  HRESULT get_CarrierFamilyMemberSpecified(bool* result) const { return GetSpecified(carrierFamilyMember_, result); }
  HRESULT put_CarrierFamilyMemberSpecified(bool value) { return PutSpecified(carrierFamilyMember_, value); }
  HRESULT get_CarrierIdNumber(TAVQ::WString* result) const { return GetText(carrierIdNumber_, result); }
  HRESULT put_CarrierIdNumber(const TAVQ::WString& value) { return PutText(carrierIdNumber_, value); }
  HRESULT get_CarrierIdNumberSpecified(bool* result) const { return GetSpecified(carrierIdNumber_, result); }
  HRESULT put_CarrierIdNumberSpecified(bool value) { return PutSpecified(carrierIdNumber_, value); }
  HRESULT get_CarrierInsurantNumber(TAVQ::WString* result) const { return GetText(carrierInsurantNumber_, result); }
  HRESULT put_CarrierInsurantNumber(const TAVQ::WString& value) { return PutText(carrierInsurantNumber_, value); }
  HRESULT get_CarrierInsurantNumberSpecified(bool* result) const { return GetSpecified(carrierInsurantNumber_, result); }
  HRESULT put_CarrierInsurantNumberSpecified(bool value) { return PutSpecified(carrierInsurantNumber_, value); }
  HRESULT get_CarrierLastName(TAVQ::WString* result) const { return GetText(carrierLastName_, result); }
  HRESULT put_CarrierLastName(const TAVQ::WString& value) { return PutText(carrierLastName_, value); }
  HRESULT get_CarrierLastNameSpecified(bool* result) const { return GetSpecified(carrierLastName_, result); }
  HRESULT put_CarrierLastNameSpecified(bool value) { return PutSpecified(carrierLastName_, value); }
  HRESULT get_CarrierLastNameLatin(TAVQ::WString* result) const { return GetText(carrierLastNameLatin_, result); }
  HRESULT put_CarrierLastNameLatin(const TAVQ::WString& value) { return PutText(carrierLastNameLatin_, value); }
  HRESULT get_CarrierLastNameLatinSpecified(bool* result) const { return GetSpecified(carrierLastNameLatin_, result); }
  HRESULT put_CarrierLastNameLatinSpecified(bool value) { return PutSpecified(carrierLastNameLatin_, value); }
  HRESULT get_CarrierFirstName(TAVQ::WString* result) const { return GetText(carrierFirstName_, result); }
  HRESULT put_CarrierFirstName(const TAVQ::WString& value) { return PutText(carrierFirstName_, value); }
  HRESULT get_CarrierFirstNameSpecified(bool* result) const { return GetSpecified(carrierFirstName_, result); }
  HRESULT put_CarrierFirstNameSpecified(bool value) { return PutSpecified(carrierFirstName_, value); }
  HRESULT get_CarrierFirstNameLatin(TAVQ::WString* result) const { return GetText(carrierFirstNameLatin_, result); }
  HRESULT put_CarrierFirstNameLatin(const TAVQ::WString& value) { return PutText(carrierFirstNameLatin_, value); }
  HRESULT get_CarrierFirstNameLatinSpecified(bool* result) const { return GetSpecified(carrierFirstNameLatin_, result); }
  HRESULT put_CarrierFirstNameLatinSpecified(bool value) { return PutSpecified(carrierFirstNameLatin_, value); }
  HRESULT get_InsuredFrom(TAVQ::OleDate* result) const { return GetDate(insuredFrom_, result); }
  HRESULT put_InsuredFrom(TAVQ::OleDate value) { return PutDate(insuredFrom_, value); }
  HRESULT get_CountryCode(TAVQ::WString* result) const { return GetText(countryCode_, result); }
  HRESULT put_CountryCode(const TAVQ::WString& value) { return PutText(countryCode_, value); }
  HRESULT get_Country(TAVQ::WString* result) const { return GetText(country_, result); }
  HRESULT put_Country(const TAVQ::WString& value) { return PutText(country_, value); }
  HRESULT get_BookletIssuerCode(TAVQ::WString* result) const { return GetText(bookletIssuerCode_, result); }
  HRESULT put_BookletIssuerCode(const TAVQ::WString& value) { return PutText(bookletIssuerCode_, value); }
  HRESULT get_InsurerBranch(TAVQ::WString* result) const { return GetText(insurerBranch_, result); }
  HRESULT put_InsurerBranch(const TAVQ::WString& value) { return PutText(insurerBranch_, value); }
  HRESULT get_InsurerOffice(TAVQ::WString* result) const { return GetText(insurerOffice_, result); }
  HRESULT put_InsurerOffice(const TAVQ::WString& value) { return PutText(insurerOffice_, value); }
  HRESULT get_InsurerOfficeSpecified(bool* result) const { return GetSpecified(insurerOffice_, result); }
  HRESULT put_InsurerOfficeSpecified(bool value) { return PutSpecified(insurerOffice_, value); }
  HRESULT get_TaxpayerName(TAVQ::WString* result) const { return GetText(taxpayerName_, result); }
  HRESULT put_TaxpayerName(const TAVQ::WString& value) { return PutText(taxpayerName_, value); }
  HRESULT get_TaxpayerResidence(TAVQ::WString* result) const { return GetText(taxpayerResidence_, result); }
  HRESULT put_TaxpayerResidence(const TAVQ::WString& value) { return PutText(taxpayerResidence_, value); }
  HRESULT get_TaxpayerNumber(TAVQ::WString* result) const { return GetText(taxpayerNumber_, result); }
  HRESULT put_TaxpayerNumber(const TAVQ::WString& value) { return PutText(taxpayerNumber_, value); }
  HRESULT get_TaxpayerNumberSpecified(bool* result) const { return GetSpecified(taxpayerNumber_, result); }
  HRESULT put_TaxpayerNumberSpecified(bool value) { return PutSpecified(taxpayerNumber_, value); }
  HRESULT get_TaxpayerIdNumber(TAVQ::WString* result) const { return GetText(taxpayerIdNumber_, result); }
  HRESULT put_TaxpayerIdNumber(const TAVQ::WString& value) { return PutText(taxpayerIdNumber_, value); }
  HRESULT get_TaxpayerIdNumberSpecified(bool* result) const { return GetSpecified(taxpayerIdNumber_, result); }
  HRESULT put_TaxpayerIdNumberSpecified(bool value) { return PutSpecified(taxpayerIdNumber_, value); }
  HRESULT get_TaxpayerActivityCode(TAVQ::WString* result) const { return GetText(taxpayerActivityCode_, result); }
  HRESULT put_TaxpayerActivityCode(const TAVQ::WString& value) { return PutText(taxpayerActivityCode_, value); }
  HRESULT get_TaxpayerActivityCodeSpecified(bool* result) const { return GetSpecified(taxpayerActivityCode_, result); }
  HRESULT put_TaxpayerActivityCodeSpecified(bool value) { return PutSpecified(taxpayerActivityCode_, value); }
  HRESULT get_ParticipationFreeBecause(TAVQ::WString* result) const { return GetText(participationFreeBecause_, result); }
  HRESULT put_ParticipationFreeBecause(const TAVQ::WString& value) { return PutText(participationFreeBecause_, value); }
  HRESULT get_ParticipationFreeBecauseSpecified(bool* result) const { return GetSpecified(participationFreeBecause_, result); }
  HRESULT put_ParticipationFreeBecauseSpecified(bool value) { return PutSpecified(participationFreeBecause_, value); }

 private:
  TAVQ::WString cardID_;
  OptionalField<TAVQ::WString> parentName_;
  OptionalField<TAVQ::WString> parentNameLatin_;
  std::int32_t gender_{};
  TAVQ::WString idNumber_;
  TAVQ::WString street_;
  OptionalField<TAVQ::WString> postNumber_;
  TAVQ::WString municipality_;
  TAVQ::WString place_;
  TAVQ::WString streetCode_;
  TAVQ::WString number_;
  OptionalField<TAVQ::WString> entrance_;
  OptionalField<TAVQ::WString> apartment_;
  TAVQ::WString rzzoUserRegistrationNumber_;
  TAVQ::WString insuranceBasisRZZOCode_;
  TAVQ::WString insuranceBasisRZZO_;
  OptionalField<TAVQ::WString> carrierRelationship_;
  OptionalField<std::int32_t> carrierFamilyMember_;
  OptionalField<TAVQ::WString> carrierIdNumber_;
  OptionalField<TAVQ::WString> carrierInsurantNumber_;
  OptionalField<TAVQ::WString> carrierLastName_;
  OptionalField<TAVQ::WString> carrierLastNameLatin_;
  OptionalField<TAVQ::WString> carrierFirstName_;
  OptionalField<TAVQ::WString> carrierFirstNameLatin_;
  TAVQ::DateTime insuredFrom_;
  TAVQ::WString countryCode_;
  TAVQ::WString country_;
  TAVQ::WString bookletIssuerCode_;
  TAVQ::WString insurerBranch_;
  OptionalField<TAVQ::WString> insurerOffice_;
  TAVQ::WString taxpayerName_;
  TAVQ::WString taxpayerResidence_;
  OptionalField<TAVQ::WString> taxpayerNumber_;
  OptionalField<TAVQ::WString> taxpayerIdNumber_;
  OptionalField<TAVQ::WString> taxpayerActivityCode_;
  OptionalField<TAVQ::WString> participationFreeBecause_;
};

}  // namespace ZK
