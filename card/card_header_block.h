// Block 0x0D00: which document the card holds and which blocks it carries.
#pragma once

#include "model/block_id_list.h"
#include "model/number_element.h"
#include "model/tlv_block.h"

class CardHeaderBlock : public ZK::TlvBlock {
 public:
  static constexpr std::uint16_t kBlockTag = 0x0D00;

  CardHeaderBlock();

  std::vector<ZK::TlvElement*> Elements() override;
  using ZK::TlvBlock::Elements;

  // 1 or 7: the card application whose document the card holds.
  const ZK::NumberElement& DocumentID() const { return documentId_; }
  // IDs of the blocks present on the card.
  const ZK::BlockIdList& PresentBlocks() const { return presentBlocks_; }

 private:
  ZK::NumberElement documentId_;
  ZK::NumberElement version_;  // not used by the card engine
  ZK::BlockIdList presentBlocks_;
};
