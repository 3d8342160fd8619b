// An ISO/IEC 7816-4 command APDU: header, command data, expected length and form.
#pragma once

#include <cstdint>

#include "support/types.h"

namespace SmartCardIO {

// The numeric values are used by the encoder and the T=0 protocol.
enum class ApduCase : int {
  Case1 = 0,          // no data, no answer expected
  Case2Short = 1,     // Le in one byte
  Case2Extended = 2,  // Le in two bytes
  Case3Short = 3,     // 1..255 data bytes, Lc in one byte
  Case3Extended = 4,  // 1..65535 data bytes, Lc in three bytes
  Case4Short = 5,     // 1..255 data bytes and Le
  Case4Extended = 6,  // 1..65535 data bytes and a two-byte Le
};

class CommandAPDU {
 public:
  // Case 1.
  CommandAPDU(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2);
  // Case 2; a short command expects at most 256 bytes (sent as Le 00).
  CommandAPDU(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, std::uint16_t ne,
              bool extended);
  // Case 3; data of 1..255 bytes (short) or 1..65535 bytes (extended).
  CommandAPDU(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, TAVQ::ByteArray data,
              bool extended);
  // Case 4; data as case 3, ne unlimited.
  CommandAPDU(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, TAVQ::ByteArray data,
              std::uint16_t ne, bool extended);
  // A copy expecting ne bytes: case 1 becomes case 2, case 3 case 4.
  CommandAPDU(const CommandAPDU& command, std::uint16_t ne);

  CommandAPDU(const CommandAPDU&) = default;
  CommandAPDU& operator=(const CommandAPDU&) = default;
  virtual ~CommandAPDU();

  // The parts taken as they are, without validation: a command rebuilt field by field.
  static CommandAPDU FromParts(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                               TAVQ::ByteArray data, std::uint16_t ne, ApduCase apduCase, bool extended);

  // The command's bytes; a case outside the enumeration encodes the header alone.
  TAVQ::ByteArray Encode() const;

  std::uint8_t cla() const { return cla_; }
  std::uint8_t ins() const { return ins_; }
  std::uint8_t p1() const { return p1_; }
  std::uint8_t p2() const { return p2_; }
  const TAVQ::ByteArray& data() const { return data_; }
  std::uint16_t ne() const { return ne_; }
  ApduCase apduCase() const { return apduCase_; }
  bool extended() const { return extended_; }

 private:
  CommandAPDU() = default;

  std::uint8_t cla_ = 0;
  std::uint8_t ins_ = 0;
  std::uint8_t p1_ = 0;
  std::uint8_t p2_ = 0;
  TAVQ::ByteArray data_;
  std::uint16_t ne_ = 0;
  ApduCase apduCase_ = ApduCase::Case1;
  bool extended_ = false;
};

}  // namespace SmartCardIO
