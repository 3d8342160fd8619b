// A text element, stored in a code page on the card (see code_page.h).
#pragma once

#include "model/tlv_element.h"

namespace ZK {

class StringElement : public TlvElement {
 public:
  StringElement(std::uint16_t tag, std::uint32_t maxLength, ElementPresence presence,
                std::uint32_t codePage);

  void Encode(TAVQ::ByteArray& out) const override;
  void Decode(const TAVQ::ByteArray& value) override;

  // Raises for an Absent element.
  const TAVQ::WString& GetValue() const;
  // Checks neither length nor characters; an Absent element becomes Present.
  void SetValue(TAVQ::WString value);

  std::uint32_t CodePage() const { return codePage_; }

 private:
  std::uint32_t codePage_;
  TAVQ::WString value_;
};

}  // namespace ZK
