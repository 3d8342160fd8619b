#include "model/fixed_perso_block_object.h"

namespace ZK {

HRESULT FixedPersoBlockObject::Load(const FixedPersoDataBlock* block) {
  if (block == nullptr) return E_INVALIDARG;
  LoadField(insurantNumber_, block->InsurantNumber());
  LoadField(lastName_, block->LastName());
  LoadField(lastNameLatin_, block->LastNameLatin());
  LoadField(firstName_, block->FirstName());
  LoadField(firstNameLatin_, block->FirstNameLatin());
  LoadField(dateOfBirth_, block->DateOfBirth());
  return S_OK;
}

}  // namespace ZK
