// Block 0x0D03 (note: personal data is 0x0D03, administrative data 0x0D04): the
// card number, date of issue, an optional date of expiry and a permanence flag.
#pragma once

#include "model/date_element.h"
#include "model/number_element.h"
#include "model/string_element.h"
#include "model/tlv_block.h"

namespace ZK {

class VariablePersoDataBlock : public TlvBlock {
 public:
  static constexpr std::uint16_t kBlockTag = 0x0D03;

  // Permanent: 0 = "0", 1 = "1".
  static const NumberTable& PermanentTable();

  VariablePersoDataBlock();

  std::vector<TlvElement*> Elements() override;
  using TlvBlock::Elements;

  StringElement& CardID() { return cardID_; }
  DateElement& DateOfIssue() { return dateOfIssue_; }
  DateElement& DateOfExpiry() { return dateOfExpiry_; }  // optional
  NumberElement& Permanent() { return permanent_; }

  const StringElement& CardID() const { return cardID_; }
  const DateElement& DateOfIssue() const { return dateOfIssue_; }
  const DateElement& DateOfExpiry() const { return dateOfExpiry_; }
  const NumberElement& Permanent() const { return permanent_; }

 private:
  StringElement cardID_;
  DateElement dateOfIssue_;
  DateElement dateOfExpiry_;
  NumberElement permanent_;
};

}  // namespace ZK
