// The codes a number element may take on the card: ordered (number, bytes) pairs.
// A table is built once, before the first block of its kind, and read-only after.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

#include "support/types.h"

namespace ZK {

class NumberTable {
 public:
  using Entry = std::pair<std::int32_t, TAVQ::ByteArray>;

  NumberTable(std::initializer_list<Entry> entries);

  // The number of the first entry with exactly these bytes.
  std::optional<std::int32_t> FindNumber(const TAVQ::ByteArray& bytes) const;
  // The bytes of the first entry with this number, or null.
  const TAVQ::ByteArray* FindBytes(std::int32_t number) const;

  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

}  // namespace ZK
