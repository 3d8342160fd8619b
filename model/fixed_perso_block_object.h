// The logic behind the ZKFixedPersoBlock Automation object: a copy of the values of
// the fixed personal block (0x0D02); read-only, one field per property. Every method returns its status
// as the Automation binding hands it on; Load takes the decoded block.
#pragma once

#include <cstdint>

#include "model/fixed_perso_data_block.h"
#include "model/property_rules.h"

namespace ZK {

class FixedPersoBlockObject {
 public:
  // Null: E_INVALIDARG, nothing changes.
  HRESULT Load(const FixedPersoDataBlock* block);

  HRESULT get_InsurantNumber(TAVQ::WString* result) const { return GetText(insurantNumber_, result); }
  HRESULT get_LastName(TAVQ::WString* result) const { return GetText(lastName_, result); }
  HRESULT get_LastNameLatin(TAVQ::WString* result) const { return GetText(lastNameLatin_, result); }
  HRESULT get_FirstName(TAVQ::WString* result) const { return GetText(firstName_, result); }
  HRESULT get_FirstNameLatin(TAVQ::WString* result) const { return GetText(firstNameLatin_, result); }
  HRESULT get_DateOfBirth(TAVQ::OleDate* result) const { return GetDate(dateOfBirth_, result); }

 private:
  TAVQ::WString insurantNumber_;
  TAVQ::WString lastName_;
  TAVQ::WString lastNameLatin_;
  TAVQ::WString firstName_;
  TAVQ::WString firstNameLatin_;
  TAVQ::DateTime dateOfBirth_;
};

}  // namespace ZK
