#include "card/sod_registry.h"

#include <algorithm>

#include "support/exception.h"

SodRegistry::SodRegistry() {
  coveredBlocks_ = {
      {0x0D05, {0x0D00, 0x0D01, 0x0D02, 0x0D07}},
      {0x0D06, {0x0D03}},
      {0x0D09, {0x0D04}},
  };
  for (const auto& [sodId, blocks] : coveredBlocks_) {
    for (std::uint16_t blockId : blocks) sodOfBlock_.emplace(blockId, sodId);
  }
}

const SodRegistry& SodRegistry::ForCard(std::uint16_t cardId) {
  // Both card applications share the same layout; each still gets its own instance.
  static const SodRegistry forCard1;
  static const SodRegistry forCard7;
  if (cardId == 1) return forCard1;
  if (cardId == 7) return forCard7;
  throw CardException(u"Unsupported card.");
}

std::optional<std::uint16_t> SodRegistry::SodOf(std::uint16_t blockId) const {
  const auto it = sodOfBlock_.find(blockId);
  if (it == sodOfBlock_.end()) return std::nullopt;
  return it->second;
}

const std::vector<std::uint16_t>& SodRegistry::CoveredBlocks(std::uint16_t sodId) const {
  static const std::vector<std::uint16_t> none;
  const auto it = coveredBlocks_.find(sodId);
  return it == coveredBlocks_.end() ? none : it->second;
}

std::size_t SodRegistry::PositionOf(std::uint16_t sodId, std::uint16_t blockId) const {
  const std::vector<std::uint16_t>& blocks = CoveredBlocks(sodId);
  return static_cast<std::size_t>(std::find(blocks.begin(), blocks.end(), blockId) - blocks.begin());
}
