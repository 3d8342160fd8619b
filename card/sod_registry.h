// Which Security Object covers which block, and at which position its hash stands
// in the SOD's signed content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

class SodRegistry {
 public:
  // The process-wide registry of card ID 1 or 7, built once; any other card ID
  // raises CardException "Unsupported card.".
  static const SodRegistry& ForCard(std::uint16_t cardId);

  // The SOD that covers the block, none for a block without SOD.
  std::optional<std::uint16_t> SodOf(std::uint16_t blockId) const;
  // The blocks whose hashes the SOD holds, in hash order; empty for an unknown SOD.
  const std::vector<std::uint16_t>& CoveredBlocks(std::uint16_t sodId) const;
  // The first position of the block in its SOD's hash list.
  std::size_t PositionOf(std::uint16_t sodId, std::uint16_t blockId) const;

 private:
  SodRegistry();

  std::map<std::uint16_t, std::vector<std::uint16_t>> coveredBlocks_;
  std::map<std::uint16_t, std::uint16_t> sodOfBlock_;
};
