// The logic behind the ZKVariablePersoBlock Automation object: a copy of the values of
// the variable personal block (0x0D03), one field per property. Every method returns its status
// as the Automation binding hands it on; Load/Store take the decoded block.
#pragma once

#include <cstdint>

#include "model/variable_perso_data_block.h"
#include "model/property_rules.h"

namespace ZK {

class VariablePersoBlockObject {
 public:
  // Null: E_INVALIDARG, nothing changes.
  HRESULT Load(const VariablePersoDataBlock* block);
  // Null: E_INVALIDARG. Validates nothing; encoding the block does.
  HRESULT Store(VariablePersoDataBlock* block) const;

  HRESULT get_CardID(TAVQ::WString* result) const { return GetText(cardID_, result); }
  HRESULT put_CardID(const TAVQ::WString& value) { return PutText(cardID_, value); }
  HRESULT get_DateOfIssue(TAVQ::OleDate* result) const { return GetDate(dateOfIssue_, result); }
  HRESULT put_DateOfIssue(TAVQ::OleDate value) { return PutDate(dateOfIssue_, value); }
  HRESULT get_DateOfExpiry(TAVQ::OleDate* result) const { return GetDate(dateOfExpiry_, result); }
  HRESULT put_DateOfExpiry(TAVQ::OleDate value) { return PutDate(dateOfExpiry_, value); }
  HRESULT get_DateOfExpirySpecified(bool* result) const { return GetSpecified(dateOfExpiry_, result); }
  HRESULT put_DateOfExpirySpecified(bool value) { return PutSpecified(dateOfExpiry_, value); }
  HRESULT get_Permanent(std::int32_t* result) const { return GetNumber(permanent_, result); }
  HRESULT put_Permanent(std::int32_t value) { return PutNumber(permanent_, value); }

 private:
  TAVQ::WString cardID_;
  TAVQ::DateTime dateOfIssue_;
  OptionalField<TAVQ::DateTime> dateOfExpiry_;
  std::int32_t permanent_{};
};

}  // namespace ZK
