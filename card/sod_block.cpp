#include "card/sod_block.h"

#include "support/exception.h"
#include "support/format.h"

namespace {

constexpr std::uint32_t kMaxSignedDataLength = 2692;

std::uint16_t ElementTagOf(std::uint16_t sodId) {
  switch (sodId) {
    case 0x0D05:
      return 0x0750;
    case 0x0D06:
      return 0x0760;
    case 0x0D09:
      return 0x0770;
    default:
      throw CardException(
          TAVQ::FormatString(u"SOD with ID 0x%X is not registered with the application", sodId));
  }
}

}  // namespace

SodBlock::SodBlock(std::uint16_t sodId)
    : ZK::TlvBlock(sodId),
      signedData_(ElementTagOf(sodId), kMaxSignedDataLength, ZK::ElementPresence::Mandatory) {}

std::vector<ZK::TlvElement*> SodBlock::Elements() { return {&signedData_}; }
