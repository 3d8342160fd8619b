// Plain bytes, taken and written as they are; only the maximum length applies.
#pragma once

#include "model/tlv_element.h"

namespace ZK {

class BytesElement : public TlvElement {
 public:
  using TlvElement::TlvElement;

  void Encode(TAVQ::ByteArray& out) const override;
  void Decode(const TAVQ::ByteArray& value) override;

  // Raises for an Absent element.
  const TAVQ::ByteArray& GetValue() const;
  void SetValue(TAVQ::ByteArray value);

 private:
  TAVQ::ByteArray value_;
};

}  // namespace ZK
