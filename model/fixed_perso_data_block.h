// Block 0x0D02: the insured person's number, names and date of birth.
// Written once at issue; every element is mandatory.
#pragma once

#include "model/date_element.h"
#include "model/string_element.h"
#include "model/tlv_block.h"

namespace ZK {

class FixedPersoDataBlock : public TlvBlock {
 public:
  static constexpr std::uint16_t kBlockTag = 0x0D02;

  FixedPersoDataBlock();

  std::vector<TlvElement*> Elements() override;
  using TlvBlock::Elements;

  StringElement& InsurantNumber() { return insurantNumber_; }
  StringElement& LastName() { return lastName_; }
  StringElement& LastNameLatin() { return lastNameLatin_; }
  StringElement& FirstName() { return firstName_; }
  StringElement& FirstNameLatin() { return firstNameLatin_; }
  DateElement& DateOfBirth() { return dateOfBirth_; }

  const StringElement& InsurantNumber() const { return insurantNumber_; }
  const StringElement& LastName() const { return lastName_; }
  const StringElement& LastNameLatin() const { return lastNameLatin_; }
  const StringElement& FirstName() const { return firstName_; }
  const StringElement& FirstNameLatin() const { return firstNameLatin_; }
  const DateElement& DateOfBirth() const { return dateOfBirth_; }

 private:
  StringElement insurantNumber_;
  StringElement lastName_;
  StringElement lastNameLatin_;
  StringElement firstName_;
  StringElement firstNameLatin_;
  DateElement dateOfBirth_;
};

}  // namespace ZK
