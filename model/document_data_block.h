// Block 0x0D01: who issued the card, its number, its validity and its chip.
// Written once at issue; every element is mandatory.
#pragma once

#include "model/date_element.h"
#include "model/string_element.h"
#include "model/tlv_block.h"

namespace ZK {

class DocumentDataBlock : public TlvBlock {
 public:
  static constexpr std::uint16_t kBlockTag = 0x0D01;

  DocumentDataBlock();

  std::vector<TlvElement*> Elements() override;
  using TlvBlock::Elements;

  StringElement& InsurerName() { return insurerName_; }
  StringElement& InsurerID() { return insurerID_; }
  StringElement& CardID() { return cardID_; }
  DateElement& DateOfIssue() { return dateOfIssue_; }
  DateElement& DateOfExpiry() { return dateOfExpiry_; }
  StringElement& ChipSerialNumber() { return chipSerialNumber_; }
  StringElement& PrintLanguage() { return printLanguage_; }

  const StringElement& InsurerName() const { return insurerName_; }
  const StringElement& InsurerID() const { return insurerID_; }
  const StringElement& CardID() const { return cardID_; }
  const DateElement& DateOfIssue() const { return dateOfIssue_; }
  const DateElement& DateOfExpiry() const { return dateOfExpiry_; }
  const StringElement& ChipSerialNumber() const { return chipSerialNumber_; }
  const StringElement& PrintLanguage() const { return printLanguage_; }

 private:
  StringElement insurerName_;
  StringElement insurerID_;
  StringElement cardID_;
  DateElement dateOfIssue_;
  DateElement dateOfExpiry_;
  StringElement chipSerialNumber_;
  StringElement printLanguage_;
};

}  // namespace ZK
