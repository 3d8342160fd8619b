// The logic behind the ZKDocumentBlock Automation object: a copy of the values of
// the document block (0x0D01); read-only, one field per property. Every method returns its status
// as the Automation binding hands it on; Load takes the decoded block.
#pragma once

#include <cstdint>

#include "model/document_data_block.h"
#include "model/property_rules.h"

namespace ZK {

class DocumentBlockObject {
 public:
  // Null: E_INVALIDARG, nothing changes.
  HRESULT Load(const DocumentDataBlock* block);

  HRESULT get_InsurerName(TAVQ::WString* result) const { return GetText(insurerName_, result); }
  HRESULT get_InsurerID(TAVQ::WString* result) const { return GetText(insurerID_, result); }
  HRESULT get_CardID(TAVQ::WString* result) const { return GetText(cardID_, result); }
  HRESULT get_DateOfIssue(TAVQ::OleDate* result) const { return GetDate(dateOfIssue_, result); }
  HRESULT get_DateOfExpiry(TAVQ::OleDate* result) const { return GetDate(dateOfExpiry_, result); }
  HRESULT get_ChipSerialNumber(TAVQ::WString* result) const { return GetText(chipSerialNumber_, result); }
  HRESULT get_PrintLanguage(TAVQ::WString* result) const { return GetText(printLanguage_, result); }

 private:
  TAVQ::WString insurerName_;
  TAVQ::WString insurerID_;
  TAVQ::WString cardID_;
  TAVQ::DateTime dateOfIssue_;
  TAVQ::DateTime dateOfExpiry_;
  TAVQ::WString chipSerialNumber_;
  TAVQ::WString printLanguage_;
};

}  // namespace ZK
