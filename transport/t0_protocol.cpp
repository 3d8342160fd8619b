#include "transport/t0_protocol.h"

#include <algorithm>

#include "support/exception.h"
#include "transport/card_channel.h"

namespace SmartCardIO {

namespace {

constexpr std::uint8_t kMoreDataAvailable = 0x61;
constexpr std::uint8_t kWrongLength = 0x6C;
constexpr std::uint16_t kSuccess = 0x9000;

ResponseAPDU Transfer(CardChannel& channel, const TAVQ::ByteArray& bytes) {
  return ResponseAPDU(channel.TransmitRaw(bytes, false));
}

// GET RESPONSE always goes out with class 00, whatever the answered command's class.
ResponseAPDU GetResponse(CardChannel& channel, std::uint16_t ne) {
  return Transfer(channel, CommandAPDU(0x00, 0xC0, 0x00, 0x00, ne, false).Encode());
}

// A status byte or Le of 0 stands for 256 bytes.
std::uint16_t LengthOrMax(std::uint16_t length) { return length == 0 ? 256 : length; }

}  // namespace

ResponseAPDU T0Protocol::Transmit(CardChannel& channel, const CommandAPDU& command) const {
  switch (command.apduCase()) {
    case ApduCase::Case1: {
      TAVQ::ByteArray bytes = command.Encode();
      bytes.push_back(0x00);  // P3 = 0
      return Transfer(channel, bytes);
    }
    case ApduCase::Case2Short:
      return TransmitCase2Short(channel, command);
    case ApduCase::Case2Extended:
      return TransmitCase2Extended(channel, command);
    case ApduCase::Case3Short:
      return Transfer(channel, command.Encode());
    case ApduCase::Case3Extended: {
      if (command.data().size() >= 256) throw SCIOException(u"Not implemented");
      const CommandAPDU shortForm(command.cla(), command.ins(), command.p1(), command.p2(), command.data(), false);
      return Transfer(channel, shortForm.Encode());
    }
    case ApduCase::Case4Short:
      return TransmitCase4Short(channel, command);
    case ApduCase::Case4Extended:
      throw SCIOException(u"Not implemented");
  }
  throw SCIOException(u"Unknown APDU case.");
}

ResponseAPDU T0Protocol::TransmitCase2Short(CardChannel& channel, const CommandAPDU& command) const {
  ResponseAPDU answer = Transfer(channel, command.Encode());
  if (answer.sw1() != kWrongLength) return answer;
  return ResendWithLength(channel, command, answer.sw2());
}

// The card named the length it has: ask again with it, and keep no more than that.
ResponseAPDU T0Protocol::ResendWithLength(CardChannel& channel, const CommandAPDU& command,
                                          std::uint8_t le) const {
  const CommandAPDU copy(command, le);
  ResponseAPDU answer = Transfer(channel, copy.Encode());
  if (answer.data().size() <= copy.ne()) return answer;
  TAVQ::ByteArray data(answer.data().begin(), answer.data().begin() + copy.ne());
  return ResponseAPDU(std::move(data), answer.sw1(), answer.sw2());
}

ResponseAPDU T0Protocol::TransmitCase2Extended(CardChannel& channel, const CommandAPDU& command) const {
  if (command.ne() <= 256) {
    const CommandAPDU shortForm(command.cla(), command.ins(), command.p1(), command.p2(), command.ne(), false);
    return TransmitCase2Short(channel, shortForm);
  }
  const CommandAPDU first(command.cla(), command.ins(), command.p1(), command.p2(), 256, false);
  ResponseAPDU answer = Transfer(channel, first.Encode());
  if (answer.sw1() == kWrongLength) return ResendWithLength(channel, first, answer.sw2());
  if (answer.sw1() != kMoreDataAvailable) return answer;

  // Collect while the card has more, up to ne bytes; never more than ne.
  TAVQ::ByteArray collected;
  std::uint16_t remaining = command.ne();
  for (;;) {
    const std::size_t take = std::min<std::size_t>(answer.data().size(), remaining);
    collected.insert(collected.end(), answer.data().begin(), answer.data().begin() + take);
    remaining = static_cast<std::uint16_t>(remaining - take);
    if (remaining == 0 || answer.sw() == kSuccess) {
      return ResponseAPDU(std::move(collected), answer.sw1(), answer.sw2());
    }
    const auto le = std::min<std::uint16_t>(LengthOrMax(answer.sw2()), remaining);
    answer = GetResponse(channel, le);
    if (answer.sw1() != kMoreDataAvailable && answer.sw() != kSuccess) return answer;
    // A card that keeps announcing data but sends none would keep us here forever.
    if (answer.data().empty() && answer.sw1() == kMoreDataAvailable) {
      throw SCIOException(u"The card announced more data but sent none.");
    }
  }
}

ResponseAPDU T0Protocol::TransmitCase4Short(CardChannel& channel, const CommandAPDU& command) const {
  // T=0 carries no Le with command data: send header, Lc and data, then fetch the answer.
  TAVQ::ByteArray bytes = command.Encode();
  bytes.pop_back();
  ResponseAPDU answer = Transfer(channel, bytes);
  // A short GET RESPONSE asks for at most 256 bytes (Le 00).
  const auto ne = std::min<std::uint16_t>(command.ne(), 256);
  if (answer.sw() == kSuccess) return GetResponse(channel, ne);
  if (answer.sw1() == kMoreDataAvailable) {
    return GetResponse(channel, std::min(LengthOrMax(ne), LengthOrMax(answer.sw2())));
  }
  return answer;
}

}  // namespace SmartCardIO
