// A calendar date on the card: 8 ASCII digits DDMMYYYY, decoded as midnight, kind Utc.
#pragma once

#include "model/tlv_element.h"
#include "support/datetime.h"

namespace ZK {

class DateElement : public TlvElement {
 public:
  using TlvElement::TlvElement;

  // The calendar day of the value as it stands; no time zone conversion.
  void Encode(TAVQ::ByteArray& out) const override;
  // Raises CardException for a size other than 8 or text that does not give three
  // numbers, and the date code's ArgumentOutOfRangeException for an impossible date.
  void Decode(const TAVQ::ByteArray& value) override;

  // Raises for an Absent element.
  TAVQ::DateTime GetValue() const;
  void SetValue(TAVQ::DateTime value);

 private:
  TAVQ::DateTime value_;
};

}  // namespace ZK
