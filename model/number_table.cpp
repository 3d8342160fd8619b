#include "model/number_table.h"

namespace ZK {

NumberTable::NumberTable(std::initializer_list<Entry> entries) : entries_(entries) {}

std::optional<std::int32_t> NumberTable::FindNumber(const TAVQ::ByteArray& bytes) const {
  for (const auto& [number, code] : entries_) {
    if (code == bytes) return number;
  }
  return std::nullopt;
}

const TAVQ::ByteArray* NumberTable::FindBytes(std::int32_t number) const {
  for (const auto& [entryNumber, code] : entries_) {
    if (entryNumber == number) return &code;
  }
  return nullptr;
}

}  // namespace ZK
