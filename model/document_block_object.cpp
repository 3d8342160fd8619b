#include "model/document_block_object.h"

namespace ZK {

HRESULT DocumentBlockObject::Load(const DocumentDataBlock* block) {
  if (block == nullptr) return E_INVALIDARG;
  LoadField(insurerName_, block->InsurerName());
  LoadField(insurerID_, block->InsurerID());
  LoadField(cardID_, block->CardID());
  LoadField(dateOfIssue_, block->DateOfIssue());
  LoadField(dateOfExpiry_, block->DateOfExpiry());
  LoadField(chipSerialNumber_, block->ChipSerialNumber());
  LoadField(printLanguage_, block->PrintLanguage());
  return S_OK;
}

}  // namespace ZK
