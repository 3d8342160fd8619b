#include "simulated_card.h"

#include <algorithm>

using SmartCardIO::ResponseAPDU;
using TAVQ::ByteArray;

ResponseAPDU SimulatedCard::Transmit(const SmartCardIO::CommandAPDU& command) {
  const ByteArray& data = command.data();
  commands.push_back(command.Encode());
  switch (command.ins()) {
    case 0xA4:
      if (command.p1() == 0x04) return ResponseAPDU({}, 0x90, 0x00);
      selected_ = static_cast<std::uint16_t>(data.at(0) << 8 | data.at(1));
      if (files.count(selected_) == 0) return ResponseAPDU({}, 0x6A, 0x82);
      return ResponseAPDU({0x62, 0x04, static_cast<std::uint8_t>(files[selected_].size() >> 8),
                           static_cast<std::uint8_t>(files[selected_].size())},
                          0x90, 0x00);
    case 0xB0: {
      const ByteArray& file = files.at(selected_);
      const std::size_t offset = static_cast<std::size_t>(command.p1() << 8 | command.p2());
      const std::size_t end = std::min(file.size(), offset + command.ne());
      return ResponseAPDU(ByteArray(file.begin() + static_cast<std::ptrdiff_t>(offset),
                                    file.begin() + static_cast<std::ptrdiff_t>(end)),
                          0x90, 0x00);
    }
    case 0x22:  // MANAGE SECURITY ENVIRONMENT: set the signature key, RSA with key 0D08
      if (command.p1() != 0x41 || command.p2() != 0xB6) return ResponseAPDU({}, 0x6A, 0x86);
      if (data != ByteArray{0x80, 0x01, 0x02, 0x84, 0x02, 0x0D, 0x08}) return ResponseAPDU({}, 0x6A, 0x80);
      return ResponseAPDU({}, 0x90, 0x00);
    case 0x2A:  // PERFORM SECURITY OPERATION: compute digital signature
      if (command.p1() != 0x9E || command.p2() != 0x00) return ResponseAPDU({}, 0x6A, 0x86);
      signedData.push_back(data);
      return ResponseAPDU(key_.SignRaw(signInstead.empty() ? data : signInstead), 0x90, 0x00);
    default:
      return ResponseAPDU({}, 0x6D, 0x00);
  }
}
