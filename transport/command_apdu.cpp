#include "transport/command_apdu.h"

#include <utility>

#include "support/exception.h"

namespace SmartCardIO {

namespace {

void CheckDataLength(const TAVQ::ByteArray& data, bool extended) {
  const std::size_t limit = extended ? 65535 : 255;
  if (data.empty() || data.size() > limit) throw SCIOException(u"Command data has invalid length.");
}

void AppendLength16(TAVQ::ByteArray& bytes, std::size_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
  bytes.push_back(static_cast<std::uint8_t>(value));
}

}  // namespace

CommandAPDU::CommandAPDU(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2)
    : cla_(cla), ins_(ins), p1_(p1), p2_(p2) {}

CommandAPDU::CommandAPDU(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, std::uint16_t ne,
                         bool extended)
    : cla_(cla),
      ins_(ins),
      p1_(p1),
      p2_(p2),
      ne_(ne),
      apduCase_(extended ? ApduCase::Case2Extended : ApduCase::Case2Short),
      extended_(extended) {
  if (!extended && ne > 256) throw SCIOException(u"LE cannot be greater than 256 if extended APDU is not used.");
}

CommandAPDU::CommandAPDU(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                         TAVQ::ByteArray data, bool extended)
    : cla_(cla),
      ins_(ins),
      p1_(p1),
      p2_(p2),
      data_(std::move(data)),
      apduCase_(extended ? ApduCase::Case3Extended : ApduCase::Case3Short),
      extended_(extended) {
  CheckDataLength(data_, extended);
}

CommandAPDU::CommandAPDU(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                         TAVQ::ByteArray data, std::uint16_t ne, bool extended)
    : cla_(cla),
      ins_(ins),
      p1_(p1),
      p2_(p2),
      data_(std::move(data)),
      ne_(ne),
      apduCase_(extended ? ApduCase::Case4Extended : ApduCase::Case4Short),
      extended_(extended) {
  CheckDataLength(data_, extended);
}

CommandAPDU::CommandAPDU(const CommandAPDU& command, std::uint16_t ne) : CommandAPDU(command) {
  ne_ = ne;
  switch (apduCase_) {
    case ApduCase::Case1:
      apduCase_ = extended_ ? ApduCase::Case2Extended : ApduCase::Case2Short;
      break;
    case ApduCase::Case3Short:
      apduCase_ = ApduCase::Case4Short;
      break;
    case ApduCase::Case3Extended:
      apduCase_ = ApduCase::Case4Extended;
      break;
    default:
      break;  // already expects an answer
  }
}

CommandAPDU::~CommandAPDU() = default;

CommandAPDU CommandAPDU::FromParts(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                                   TAVQ::ByteArray data, std::uint16_t ne, ApduCase apduCase, bool extended) {
  CommandAPDU command;
  command.cla_ = cla;
  command.ins_ = ins;
  command.p1_ = p1;
  command.p2_ = p2;
  command.data_ = std::move(data);
  command.ne_ = ne;
  command.apduCase_ = apduCase;
  command.extended_ = extended;
  return command;
}

TAVQ::ByteArray CommandAPDU::Encode() const {
  TAVQ::ByteArray bytes{cla_, ins_, p1_, p2_};
  const auto le = static_cast<std::uint8_t>(ne_);
  switch (apduCase_) {
    case ApduCase::Case1:
      break;
    case ApduCase::Case2Short:
      bytes.push_back(le);  // 256 and 0 are both 00
      break;
    case ApduCase::Case2Extended:
      bytes.push_back(0);
      AppendLength16(bytes, ne_);
      break;
    case ApduCase::Case3Short:
      bytes.push_back(static_cast<std::uint8_t>(data_.size()));
      bytes.insert(bytes.end(), data_.begin(), data_.end());
      break;
    case ApduCase::Case3Extended:
      bytes.push_back(0);
      AppendLength16(bytes, data_.size());
      bytes.insert(bytes.end(), data_.begin(), data_.end());
      break;
    case ApduCase::Case4Short:
      bytes.push_back(static_cast<std::uint8_t>(data_.size()));
      bytes.insert(bytes.end(), data_.begin(), data_.end());
      bytes.push_back(le);
      break;
    case ApduCase::Case4Extended:
      bytes.push_back(0);
      AppendLength16(bytes, data_.size());
      bytes.insert(bytes.end(), data_.begin(), data_.end());
      AppendLength16(bytes, ne_);
      break;
  }
  return bytes;
}

}  // namespace SmartCardIO
