// A Security Object file (0x0D05, 0x0D06 or 0x0D09): one element holding the DER
// PKCS#7 SignedData whose content is the SHA-256 hashes of the blocks it covers.
#pragma once

#include "model/bytes_element.h"
#include "model/tlv_block.h"

class SodBlock : public ZK::TlvBlock {
 public:
  // Raises CardException "SOD with ID 0x%X is not registered with the application"
  // for any other ID.
  explicit SodBlock(std::uint16_t sodId);

  std::vector<ZK::TlvElement*> Elements() override;
  using ZK::TlvBlock::Elements;

  const ZK::BytesElement& SignedData() const { return signedData_; }

 private:
  ZK::BytesElement signedData_;
};
