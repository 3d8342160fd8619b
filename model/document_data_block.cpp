#include "model/document_data_block.h"

#include "model/code_page.h"

namespace ZK {

namespace {
constexpr auto M = ElementPresence::Mandatory;
}

// No element 0x0614 is declared: the card may carry one, and it is skipped.
DocumentDataBlock::DocumentDataBlock()
    : TlvBlock(kBlockTag),
      insurerName_(0x0611, 98, M, kCodePageUtf16),
      insurerID_(0x0612, 15, M, kCodePageUsAscii),
      cardID_(0x0613, 11, M, kCodePageUsAscii),
      dateOfIssue_(0x0615, 8, M),
      dateOfExpiry_(0x0616, 8, M),
      chipSerialNumber_(0x0617, 16, M, kCodePageUsAscii),
      printLanguage_(0x0618, 2, M, kCodePageUsAscii) {}

std::vector<TlvElement*> DocumentDataBlock::Elements() {
  return {&insurerName_, &insurerID_, &cardID_, &dateOfIssue_, &dateOfExpiry_, &chipSerialNumber_,
          &printLanguage_};
}

}  // namespace ZK
