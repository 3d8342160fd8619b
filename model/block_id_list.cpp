#include "model/block_id_list.h"

#include <utility>

#include "support/exception.h"
#include "support/format.h"

namespace ZK {

void BlockIdList::Encode(TAVQ::ByteArray& out) const {
  out.clear();
  out.reserve(value_.size() * 2);
  for (std::uint16_t id : value_) {
    out.push_back(static_cast<std::uint8_t>(id & 0xFF));
    out.push_back(static_cast<std::uint8_t>(id >> 8));
  }
}

void BlockIdList::Decode(const TAVQ::ByteArray& value) {
  if (value.size() % 2 != 0) {
    throw CardException(TAVQ::FormatString(u"Element with tag 0x%X has incorrect size of %d",
                                           static_cast<unsigned>(Tag()),
                                           static_cast<int>(value.size())));
  }
  std::vector<std::uint16_t> ids;
  ids.reserve(value.size() / 2);
  for (std::size_t i = 0; i < value.size(); i += 2) {
    ids.push_back(static_cast<std::uint16_t>(value[i] | (value[i + 1] << 8)));
  }
  value_ = std::move(ids);
}

const std::vector<std::uint16_t>& BlockIdList::GetValue() const {
  RequireValue();
  return value_;
}

void BlockIdList::SetValue(std::vector<std::uint16_t> value) {
  value_ = std::move(value);
  MarkSet();
}

}  // namespace ZK
