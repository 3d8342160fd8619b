#include "model/variable_admin_block_object.h"

namespace ZK {

HRESULT VariableAdminBlockObject::Load(const VariableAdminDataBlock* block) {
  if (block == nullptr) return E_INVALIDARG;
  LoadField(cardID_, block->CardID());
  LoadField(parentName_, block->ParentName());
  LoadField(parentNameLatin_, block->ParentNameLatin());
  LoadField(gender_, block->Gender());
  LoadField(idNumber_, block->IDNumber());
  LoadField(street_, block->Street());
  LoadField(postNumber_, block->PostNumber());
  LoadField(municipality_, block->Municipality());
  LoadField(place_, block->Place());
  LoadField(streetCode_, block->StreetCode());
  LoadField(number_, block->Number());
  LoadField(entrance_, block->Entrance());
  LoadField(apartment_, block->Apartment());
  LoadField(rzzoUserRegistrationNumber_, block->RZZOUserRegistrationNumber());
  LoadField(insuranceBasisRZZOCode_, block->InsuranceBasisRZZOCode());
  LoadField(insuranceBasisRZZO_, block->InsuranceBasisRZZO());
  LoadField(carrierRelationship_, block->CarrierRelationship());
  LoadField(carrierFamilyMember_, block->CarrierFamilyMember());
  LoadField(carrierIdNumber_, block->CarrierIdNumber());
  LoadField(carrierInsurantNumber_, block->CarrierInsurantNumber());
  LoadField(carrierLastName_, block->CarrierLastName());
  LoadField(carrierLastNameLatin_, block->CarrierLastNameLatin());
  LoadField(carrierFirstName_, block->CarrierFirstName());
  LoadField(carrierFirstNameLatin_, block->CarrierFirstNameLatin());
  LoadField(insuredFrom_, block->InsuredFrom());
  LoadField(countryCode_, block->CountryCode());
  LoadField(country_, block->Country());
  LoadField(bookletIssuerCode_, block->BookletIssuerCode());
  LoadField(insurerBranch_, block->InsurerBranch());
  LoadField(insurerOffice_, block->InsurerOffice());
  LoadField(taxpayerName_, block->TaxpayerName());
  LoadField(taxpayerResidence_, block->TaxpayerResidence());
  LoadField(taxpayerNumber_, block->TaxpayerNumber());
  LoadField(taxpayerIdNumber_, block->TaxpayerIdNumber());
  LoadField(taxpayerActivityCode_, block->TaxpayerActivityCode());
  LoadField(participationFreeBecause_, block->ParticipationFreeBecause());
  return S_OK;
}

HRESULT VariableAdminBlockObject::Store(VariableAdminDataBlock* block) const {
  if (block == nullptr) return E_INVALIDARG;
  StoreField(block->CardID(), cardID_);
  StoreField(block->ParentName(), parentName_);
  StoreField(block->ParentNameLatin(), parentNameLatin_);
  StoreField(block->Gender(), gender_);
  StoreField(block->IDNumber(), idNumber_);
  StoreField(block->Street(), street_);
  StoreField(block->PostNumber(), postNumber_);
  StoreField(block->Municipality(), municipality_);
  StoreField(block->Place(), place_);
  StoreField(block->StreetCode(), streetCode_);
  StoreField(block->Number(), number_);
  StoreField(block->Entrance(), entrance_);
  StoreField(block->Apartment(), apartment_);
  StoreField(block->RZZOUserRegistrationNumber(), rzzoUserRegistrationNumber_);
  StoreField(block->InsuranceBasisRZZOCode(), insuranceBasisRZZOCode_);
  StoreField(block->InsuranceBasisRZZO(), insuranceBasisRZZO_);
  StoreField(block->CarrierRelationship(), carrierRelationship_);
  StoreField(block->CarrierFamilyMember(), carrierFamilyMember_);
  StoreField(block->CarrierIdNumber(), carrierIdNumber_);
  StoreField(block->CarrierInsurantNumber(), carrierInsurantNumber_);
  StoreField(block->CarrierLastName(), carrierLastName_);
  StoreField(block->CarrierLastNameLatin(), carrierLastNameLatin_);
  StoreField(block->CarrierFirstName(), carrierFirstName_);
  StoreField(block->CarrierFirstNameLatin(), carrierFirstNameLatin_);
  StoreField(block->InsuredFrom(), insuredFrom_);
  StoreField(block->CountryCode(), countryCode_);
  StoreField(block->Country(), country_);
  StoreField(block->BookletIssuerCode(), bookletIssuerCode_);
  StoreField(block->InsurerBranch(), insurerBranch_);
  StoreField(block->InsurerOffice(), insurerOffice_);
  StoreField(block->TaxpayerName(), taxpayerName_);
  StoreField(block->TaxpayerResidence(), taxpayerResidence_);
  StoreField(block->TaxpayerNumber(), taxpayerNumber_);
  StoreField(block->TaxpayerIdNumber(), taxpayerIdNumber_);
  StoreField(block->TaxpayerActivityCode(), taxpayerActivityCode_);
  StoreField(block->ParticipationFreeBecause(), participationFreeBecause_);
  return S_OK;
}

}  // namespace ZK
