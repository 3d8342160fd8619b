#include "model/number_element.h"

#include "support/exception.h"
#include "support/format.h"

namespace ZK {

NumberElement::NumberElement(std::uint16_t tag, std::uint32_t maxLength, ElementPresence presence,
                             const NumberTable& table)
    : TlvElement(tag, maxLength, presence), table_(&table) {}

void NumberElement::Encode(TAVQ::ByteArray& out) const {
  const TAVQ::ByteArray* bytes = table_->FindBytes(value_);
  if (bytes == nullptr) {
    throw CardException(TAVQ::FormatString(u"Number %d is not valid value for tag 0x%X", value_,
                                           static_cast<unsigned>(Tag())));
  }
  out = *bytes;
}

void NumberElement::Decode(const TAVQ::ByteArray& value) {
  const auto number = table_->FindNumber(value);
  if (!number) {
    throw CardException(TAVQ::FormatString(u"Element with tag 0x%X has invalid value",
                                           static_cast<unsigned>(Tag())));
  }
  value_ = *number;
}

std::int32_t NumberElement::GetValue() const {
  RequireValue();
  return value_;
}

void NumberElement::SetValue(std::int32_t value) {
  value_ = value;
  MarkSet();
}

}  // namespace ZK
