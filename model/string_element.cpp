#include "model/string_element.h"

#include <utility>

#include "model/code_page.h"

namespace ZK {

StringElement::StringElement(std::uint16_t tag, std::uint32_t maxLength, ElementPresence presence,
                             std::uint32_t codePage)
    : TlvElement(tag, maxLength, presence), codePage_(codePage) {}

void StringElement::Encode(TAVQ::ByteArray& out) const { out = EncodeText(value_, codePage_, Tag()); }

void StringElement::Decode(const TAVQ::ByteArray& value) { value_ = DecodeText(value, codePage_, Tag()); }

const TAVQ::WString& StringElement::GetValue() const {
  RequireValue();
  return value_;
}

void StringElement::SetValue(TAVQ::WString value) {
  value_ = std::move(value);
  MarkSet();
}

}  // namespace ZK
