#include "model/variable_perso_block_object.h"

namespace ZK {

HRESULT VariablePersoBlockObject::Load(const VariablePersoDataBlock* block) {
  if (block == nullptr) return E_INVALIDARG;
  LoadField(cardID_, block->CardID());
  LoadField(dateOfIssue_, block->DateOfIssue());
  LoadField(dateOfExpiry_, block->DateOfExpiry());
  LoadField(permanent_, block->Permanent());
  return S_OK;
}

HRESULT VariablePersoBlockObject::Store(VariablePersoDataBlock* block) const {
  if (block == nullptr) return E_INVALIDARG;
  StoreField(block->CardID(), cardID_);
  StoreField(block->DateOfIssue(), dateOfIssue_);
  StoreField(block->DateOfExpiry(), dateOfExpiry_);
  StoreField(block->Permanent(), permanent_);
  return S_OK;
}

}  // namespace ZK
