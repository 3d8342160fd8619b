// A list of 16-bit numbers (block IDs), two bytes each, least significant first.
#pragma once

#include <vector>

#include "model/tlv_element.h"

namespace ZK {

class BlockIdList : public TlvElement {
 public:
  using TlvElement::TlvElement;

  void Encode(TAVQ::ByteArray& out) const override;
  // An odd length raises "Element with tag 0x%X has incorrect size of %d".
  void Decode(const TAVQ::ByteArray& value) override;

  // Raises for an Absent element.
  const std::vector<std::uint16_t>& GetValue() const;
  void SetValue(std::vector<std::uint16_t> value);

 private:
  std::vector<std::uint16_t> value_;
};

}  // namespace ZK
