#include "model/bytes_element.h"

#include <utility>

namespace ZK {

void BytesElement::Encode(TAVQ::ByteArray& out) const { out = value_; }

void BytesElement::Decode(const TAVQ::ByteArray& value) { value_ = value; }

const TAVQ::ByteArray& BytesElement::GetValue() const {
  RequireValue();
  return value_;
}

void BytesElement::SetValue(TAVQ::ByteArray value) {
  value_ = std::move(value);
  MarkSet();
}

}  // namespace ZK
