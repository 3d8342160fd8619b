// A card's answer to a command APDU: data followed by the status word.
#pragma once

#include <cstdint>

#include "support/types.h"

namespace SmartCardIO {

class ResponseAPDU {
 public:
  // From the raw answer (data, SW1, SW2); fewer than two bytes raise SCIOException.
  explicit ResponseAPDU(const TAVQ::ByteArray& answer);
  ResponseAPDU(TAVQ::ByteArray data, std::uint8_t sw1, std::uint8_t sw2);

  std::uint8_t sw1() const { return sw1_; }
  std::uint8_t sw2() const { return sw2_; }
  std::uint16_t sw() const { return static_cast<std::uint16_t>(sw1_ << 8 | sw2_); }
  const TAVQ::ByteArray& data() const { return data_; }

  // Returns for 9000; raises JavaCard::AppletException carrying sw otherwise.
  void CheckStatusWord() const;

 private:
  std::uint8_t sw1_;
  std::uint8_t sw2_;
  TAVQ::ByteArray data_;
};

}  // namespace SmartCardIO
