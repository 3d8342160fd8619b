#include "card/card_header_block.h"

namespace {

constexpr auto M = ZK::ElementPresence::Mandatory;

// The codes are ASCII digits on the card.
const ZK::NumberTable& DocumentIdTable() {
  static const ZK::NumberTable table{{1, {'0', '1'}}, {7, {'0', '7'}}};
  return table;
}

const ZK::NumberTable& VersionTable() {
  static const ZK::NumberTable table{{1, {'0', '1'}}};
  return table;
}

}  // namespace

CardHeaderBlock::CardHeaderBlock()
    : ZK::TlvBlock(kBlockTag),
      documentId_(0x0601, 2, M, DocumentIdTable()),
      version_(0x0602, 2, M, VersionTable()),
      // At most 64 block IDs of 2 bytes each.
      presentBlocks_(0x0603, 128, M) {}

std::vector<ZK::TlvElement*> CardHeaderBlock::Elements() {
  return {&documentId_, &version_, &presentBlocks_};
}
