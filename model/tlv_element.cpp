#include "model/tlv_element.h"

#include "support/exception.h"
#include "support/format.h"

namespace ZK {

TlvElement::TlvElement(std::uint16_t tag, std::uint32_t maxLength, ElementPresence presence)
    : tag_(tag), maxLength_(maxLength), presence_(presence) {}

TlvElement::~TlvElement() = default;

std::optional<TAVQ::ByteArray> TlvElement::GetBytes() const {
  if (presence_ == ElementPresence::Absent) return std::nullopt;
  TAVQ::ByteArray bytes;
  Encode(bytes);
  return bytes;
}

void TlvElement::SetBytes(const TAVQ::ByteArray* value) {
  if (value != nullptr) {
    Decode(*value);
    if (presence_ == ElementPresence::Absent) presence_ = ElementPresence::Present;
    return;
  }
  if (presence_ == ElementPresence::Mandatory) {
    throw CardException(TAVQ::FormatString(u"Mandatory element with tag 0x%04X not found in block",
                                           static_cast<unsigned>(tag_)));
  }
  presence_ = ElementPresence::Absent;
}

bool TlvElement::IsNull() const {
  if (presence_ == ElementPresence::Mandatory) {
    throw CardException(TAVQ::FormatString(u"Calling IsNull on mandatory value with tag %d",
                                           static_cast<int>(tag_)));
  }
  return presence_ == ElementPresence::Absent;
}

void TlvElement::RequireValue() const {
  if (presence_ == ElementPresence::Absent) {
    throw CardException(TAVQ::FormatString(
        u"Referenced non-existent optional value with tag %d", static_cast<int>(tag_)));
  }
}

void TlvElement::MarkSet() {
  if (presence_ == ElementPresence::Absent) presence_ = ElementPresence::Present;
}

}  // namespace ZK
