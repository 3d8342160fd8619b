#include "card/block_cache.h"

#include <utility>

const TAVQ::ByteArray* BlockCache::Find(std::uint16_t blockId) const {
  const auto it = blocks_.find(blockId);
  return it == blocks_.end() ? nullptr : &it->second;
}

void BlockCache::Store(std::uint16_t blockId, TAVQ::ByteArray bytes) {
  // A block is read once; an existing entry stays as it was first read.
  blocks_.emplace(blockId, std::move(bytes));
}
