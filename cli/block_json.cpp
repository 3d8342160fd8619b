#include "cli/block_json.h"

#include <cstdio>

#include "support/text.h"
#include "support/system_time.h"

namespace Cli {

namespace {

// Fills one JSON object from an object's getters, property by property, in the
// interface's order. A getter that fails gives null.
template <class Object>
class PropertyWriter {
 public:
  explicit PropertyWriter(const Object& object) : object_(object) {}

  using TextGetter = HRESULT (Object::*)(TAVQ::WString*) const;
  using NumberGetter = HRESULT (Object::*)(std::int32_t*) const;
  using DateGetter = HRESULT (Object::*)(TAVQ::OleDate*) const;
  using FlagGetter = HRESULT (Object::*)(bool*) const;

  PropertyWriter& Text(const char* name, TextGetter get, FlagGetter specified = nullptr) {
    TAVQ::WString value;
    json_[name] = Present(specified) && (object_.*get)(&value) == S_OK ? Json(TAVQ::ToUtf8(value)) : Json();
    return *this;
  }
  PropertyWriter& Number(const char* name, NumberGetter get, FlagGetter specified = nullptr) {
    std::int32_t value = 0;
    json_[name] = Present(specified) && (object_.*get)(&value) == S_OK ? Json(value) : Json();
    return *this;
  }
  PropertyWriter& Date(const char* name, DateGetter get, FlagGetter specified = nullptr) {
    TAVQ::OleDate value = 0;
    json_[name] = Present(specified) && (object_.*get)(&value) == S_OK ? DateJson(value) : Json();
    return *this;
  }
  Json Done() { return std::move(json_); }

 private:
  bool Present(FlagGetter specified) const {
    bool flag = true;
    return specified == nullptr || ((object_.*specified)(&flag) == S_OK && flag);
  }

  const Object& object_;
  Json json_ = Json::object();
};

}  // namespace

Json DateJson(TAVQ::OleDate date) {
  TAVQ::SystemTime time;
  if (!TAVQ::VariantTimeToSystemTime(date, time)) return Json();
  char text[24];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", unsigned{time.wYear}, unsigned{time.wMonth},
                unsigned{time.wDay});
  return text;
}

Json ToJson(const ZK::DocumentBlockObject& block) {
  using O = ZK::DocumentBlockObject;
  return PropertyWriter<O>(block)
      .Text("InsurerName", &O::get_InsurerName)
      .Text("InsurerID", &O::get_InsurerID)
      .Text("CardID", &O::get_CardID)
      .Date("DateOfIssue", &O::get_DateOfIssue)
      .Date("DateOfExpiry", &O::get_DateOfExpiry)
      .Text("ChipSerialNumber", &O::get_ChipSerialNumber)
      .Text("PrintLanguage", &O::get_PrintLanguage)
      .Done();
}

Json ToJson(const ZK::FixedPersoBlockObject& block) {
  using O = ZK::FixedPersoBlockObject;
  return PropertyWriter<O>(block)
      .Text("InsurantNumber", &O::get_InsurantNumber)
      .Text("LastName", &O::get_LastName)
      .Text("LastNameLatin", &O::get_LastNameLatin)
      .Text("FirstName", &O::get_FirstName)
      .Text("FirstNameLatin", &O::get_FirstNameLatin)
      .Date("DateOfBirth", &O::get_DateOfBirth)
      .Done();
}

Json ToJson(const ZK::VariableAdminBlockObject& block) {
  using O = ZK::VariableAdminBlockObject;
  return PropertyWriter<O>(block)
      .Text("CardID", &O::get_CardID)
      .Text("ParentName", &O::get_ParentName, &O::get_ParentNameSpecified)
      .Text("ParentNameLatin", &O::get_ParentNameLatin, &O::get_ParentNameLatinSpecified)
      .Number("Gender", &O::get_Gender)
      .Text("IDNumber", &O::get_IDNumber)
      .Text("Street", &O::get_Street)
      .Text("PostNumber", &O::get_PostNumber, &O::get_PostNumberSpecified)
      .Text("Municipality", &O::get_Municipality)
      .Text("Place", &O::get_Place)
      .Text("StreetCode", &O::get_StreetCode)
      .Text("Number", &O::get_Number)
      .Text("Entrance", &O::get_Entrance, &O::get_EntranceSpecified)
      .Text("Apartment", &O::get_Apartment, &O::get_ApartmentSpecified)
      .Text("RZZOUserRegistrationNumber", &O::get_RZZOUserRegistrationNumber)
      .Text("InsuranceBasisRZZOCode", &O::get_InsuranceBasisRZZOCode)
      .Text("InsuranceBasisRZZO", &O::get_InsuranceBasisRZZO)
      .Text("CarrierRelationship", &O::get_CarrierRelationship, &O::get_CarrierRelationshipSpecified)
      .Number("CarrierFamilyMember", &O::get_CarrierFamilyMember, &O::get_CarrierFamilyMemberSpecified)
      .Text("CarrierIdNumber", &O::get_CarrierIdNumber, &O::get_CarrierIdNumberSpecified)
      .Text("CarrierInsurantNumber", &O::get_CarrierInsurantNumber, &O::get_CarrierInsurantNumberSpecified)
      .Text("CarrierLastName", &O::get_CarrierLastName, &O::get_CarrierLastNameSpecified)
      .Text("CarrierLastNameLatin", &O::get_CarrierLastNameLatin, &O::get_CarrierLastNameLatinSpecified)
      .Text("CarrierFirstName", &O::get_CarrierFirstName, &O::get_CarrierFirstNameSpecified)
      .Text("CarrierFirstNameLatin", &O::get_CarrierFirstNameLatin, &O::get_CarrierFirstNameLatinSpecified)
      .Date("InsuredFrom", &O::get_InsuredFrom)
      .Text("CountryCode", &O::get_CountryCode)
      .Text("Country", &O::get_Country)
      .Text("BookletIssuerCode", &O::get_BookletIssuerCode)
      .Text("InsurerBranch", &O::get_InsurerBranch)
      .Text("InsurerOffice", &O::get_InsurerOffice, &O::get_InsurerOfficeSpecified)
      .Text("TaxpayerName", &O::get_TaxpayerName)
      .Text("TaxpayerResidence", &O::get_TaxpayerResidence)
      .Text("TaxpayerNumber", &O::get_TaxpayerNumber, &O::get_TaxpayerNumberSpecified)
      .Text("TaxpayerIdNumber", &O::get_TaxpayerIdNumber, &O::get_TaxpayerIdNumberSpecified)
      .Text("TaxpayerActivityCode", &O::get_TaxpayerActivityCode, &O::get_TaxpayerActivityCodeSpecified)
      .Text("ParticipationFreeBecause", &O::get_ParticipationFreeBecause, &O::get_ParticipationFreeBecauseSpecified)
      .Done();
}

Json ToJson(const ZK::VariablePersoBlockObject& block) {
  using O = ZK::VariablePersoBlockObject;
  return PropertyWriter<O>(block)
      .Text("CardID", &O::get_CardID)
      .Date("DateOfIssue", &O::get_DateOfIssue)
      .Date("DateOfExpiry", &O::get_DateOfExpiry, &O::get_DateOfExpirySpecified)
      .Number("Permanent", &O::get_Permanent)
      .Done();
}

}  // namespace Cli
