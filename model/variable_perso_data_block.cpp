#include "model/variable_perso_data_block.h"

#include "model/code_page.h"

namespace ZK {

namespace {
constexpr auto M = ElementPresence::Mandatory;
constexpr auto O = ElementPresence::Absent;
}  // namespace

const NumberTable& VariablePersoDataBlock::PermanentTable() {
  // Built once, thread-safely, on first use (at the latest by the first block).
  static const NumberTable table{{0, {'0'}}, {1, {'1'}}};
  return table;
}

VariablePersoDataBlock::VariablePersoDataBlock()
    : TlvBlock(kBlockTag),
      cardID_(0x0630, 11, M, kCodePageUsAscii),
      dateOfIssue_(0x0631, 8, M),
      dateOfExpiry_(0x0632, 8, O),
      permanent_(0x0633, 1, M, PermanentTable()) {}

std::vector<TlvElement*> VariablePersoDataBlock::Elements() {
  return {&cardID_, &dateOfIssue_, &dateOfExpiry_, &permanent_};
}

}  // namespace ZK
