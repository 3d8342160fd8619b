// A number element: the card stores one of the byte codes of its NumberTable.
#pragma once

#include "model/number_table.h"
#include "model/tlv_element.h"

namespace ZK {

class NumberElement : public TlvElement {
 public:
  // The table must outlive the element (tables live until the process ends).
  NumberElement(std::uint16_t tag, std::uint32_t maxLength, ElementPresence presence,
                const NumberTable& table);

  // A number without a table entry raises "Number %d is not valid value for tag 0x%X".
  void Encode(TAVQ::ByteArray& out) const override;
  // Bytes without a table entry raise "Element with tag 0x%X has invalid value".
  void Decode(const TAVQ::ByteArray& value) override;

  // Raises for an Absent element.
  std::int32_t GetValue() const;
  // Checks no table membership; an Absent element becomes Present.
  void SetValue(std::int32_t value);

  const NumberTable& Table() const { return *table_; }

 private:
  const NumberTable* table_;
  std::int32_t value_ = 0;
};

}  // namespace ZK
