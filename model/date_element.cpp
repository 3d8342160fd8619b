#include "model/date_element.h"

#include <cstdio>
#include <cstring>

#include "support/exception.h"
#include "support/format.h"
#include "support/text.h"

namespace ZK {

namespace {
constexpr std::size_t kDateSize = 8;
}

void DateElement::Encode(TAVQ::ByteArray& out) const {
  const std::string text = TAVQ::ToNarrow(value_.Format(u"%d%m%Y"));
  out.assign(text.begin(), text.end());
}

void DateElement::Decode(const TAVQ::ByteArray& value) {
  if (value.size() != kDateSize) {
    throw CardException(
        TAVQ::FormatString(u"Date element has incorrect size of %d", static_cast<int>(value.size())));
  }
  // A terminated copy, so that the C library's scanf reads nothing beyond the value.
  char text[kDateSize + 1] = {};
  std::memcpy(text, value.data(), kDateSize);
  unsigned short day = 0;
  unsigned short month = 0;
  unsigned short year = 0;
  if (std::sscanf(text, "%2hu%2hu%4hu", &day, &month, &year) < 3) {
    throw CardException(u"Date element has incorrect format");
  }
  value_ = TAVQ::DateTime(year, month, day, TAVQ::DateTimeKind::Utc);
}

TAVQ::DateTime DateElement::GetValue() const {
  RequireValue();
  return value_;
}

void DateElement::SetValue(TAVQ::DateTime value) {
  value_ = value;
  MarkSet();
}

}  // namespace ZK
