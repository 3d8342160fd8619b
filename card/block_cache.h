// The raw bytes (header and body) of every block a card object has read. Entries
// are only added, and only after a read that completed without any failure.
#pragma once

#include <cstdint>
#include <map>

#include "support/types.h"

class BlockCache {
 public:
  // The cached bytes of the block, or null when it has not been read.
  const TAVQ::ByteArray* Find(std::uint16_t blockId) const;
  bool Contains(std::uint16_t blockId) const { return Find(blockId) != nullptr; }
  void Store(std::uint16_t blockId, TAVQ::ByteArray bytes);

 private:
  std::map<std::uint16_t, TAVQ::ByteArray> blocks_;
};
