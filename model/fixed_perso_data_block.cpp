#include "model/fixed_perso_data_block.h"

#include "model/code_page.h"

namespace ZK {

namespace {
constexpr auto M = ElementPresence::Mandatory;
}

FixedPersoDataBlock::FixedPersoDataBlock()
    : TlvBlock(kBlockTag),
      insurantNumber_(0x0621, 11, M, kCodePageUsAscii),
      lastName_(0x0622, 100, M, kCodePageUtf16),
      lastNameLatin_(0x0623, 100, M, kCodePageUtf16),
      firstName_(0x0624, 100, M, kCodePageUtf16),
      firstNameLatin_(0x0625, 100, M, kCodePageUtf16),
      dateOfBirth_(0x0626, 8, M) {}

std::vector<TlvElement*> FixedPersoDataBlock::Elements() {
  return {&insurantNumber_, &lastName_, &lastNameLatin_, &firstName_, &firstNameLatin_, &dateOfBirth_};
}

}  // namespace ZK
