#include "card/card_application.h"

#include <algorithm>
#include <utility>

#include "support/exception.h"
#include "support/format.h"
#include "support/text.h"

using SmartCardIO::CardChannel;
using SmartCardIO::CommandAPDU;
using SmartCardIO::ResponseAPDU;
using TAVQ::ByteArray;

namespace {

constexpr std::uint8_t kIsoClass = 0x00;
constexpr std::uint8_t kSelect = 0xA4;
constexpr std::uint8_t kReadBinary = 0xB0;
constexpr std::uint8_t kManageSecurityEnvironment = 0x22;
constexpr std::uint8_t kPerformSecurityOperation = 0x2A;
// Le 00: up to 256 bytes.
constexpr std::uint16_t kAnyLength = 256;
constexpr std::size_t kMaxChunk = 128;
// READ BINARY with bit 8 of P1 clear carries a 15-bit offset; with it set, P1 names a
// short EF identifier instead, so a larger offset would read another file.
constexpr std::size_t kMaxOffset = 0x7FFF;

ResponseAPDU Checked(CardChannel& channel, const CommandAPDU& command) {
  ResponseAPDU response = channel.Transmit(command);
  response.CheckStatusWord();
  return response;
}

}  // namespace

CardApplication::CardApplication(ByteArray aid) : aid_(std::move(aid)) {}

const CardApplication& CardApplication::ForCardId(std::uint16_t cardId) {
  // Function-local statics: created once, thread-safely, kept until process exit.
  switch (cardId) {
    case 1: {
      static const CardApplication application(TAVQ::FromHexString(u"F38100000253455256535A4B01"));
      return application;
    }
    case 7: {
      static const CardApplication application(TAVQ::FromHexString(u"F381000002534552534F564F5A4B01"));
      return application;
    }
    case 0: {
      static const CardApplication application(TAVQ::FromHexString(u"A000000063504B43532D3135"));
      return application;
    }
    default:
      throw CardException(TAVQ::FormatString(u"Number %d is not valid value for card ID", cardId));
  }
}

ResponseAPDU CardApplication::SelectApplication(CardChannel& channel) const {
  return Checked(channel, CommandAPDU(kIsoClass, kSelect, 0x04, 0x00, aid_, kAnyLength, false));
}

ResponseAPDU CardApplication::SelectFile(CardChannel& channel, std::uint16_t fileId) const {
  const ByteArray id = {static_cast<std::uint8_t>(fileId >> 8), static_cast<std::uint8_t>(fileId)};
  return Checked(channel, CommandAPDU(kIsoClass, kSelect, 0x00, 0x00, id, kAnyLength, false));
}

ByteArray CardApplication::ReadFileData(CardChannel& channel, std::size_t offset, std::size_t length) const {
  // Refused before the first command: a partial read would be of no use.
  if (length > 0 && (offset > kMaxOffset || length - 1 > kMaxOffset - offset)) {
    throw CardException(TAVQ::FormatString(u"Cannot read beyond offset 0x%X of an elementary file",
                                           static_cast<unsigned>(kMaxOffset)));
  }
  ByteArray result;
  result.reserve(length);
  for (std::size_t done = 0; done < length;) {
    const std::size_t at = offset + done;
    const std::size_t chunk = std::min(kMaxChunk, length - done);
    const ResponseAPDU response =
        Checked(channel, CommandAPDU(kIsoClass, kReadBinary, static_cast<std::uint8_t>(at >> 8),
                                     static_cast<std::uint8_t>(at), static_cast<std::uint16_t>(chunk), false));
    // A short or long chunk would shift every later byte of the block.
    if (response.data().size() != chunk) {
      throw CardException(TAVQ::FormatString(
          u"Card returned %d bytes at offset %d of the elementary file, but %d bytes were requested",
          static_cast<int>(response.data().size()), static_cast<int>(at), static_cast<int>(chunk)));
    }
    result.insert(result.end(), response.data().begin(), response.data().end());
    done += chunk;
  }
  return result;
}

void CardApplication::SetSignatureKey(CardChannel& channel, std::uint8_t algorithm,
                                      std::uint16_t keyReference) const {
  // Tag 80: algorithm reference; tag 84: private key reference.
  const ByteArray keyTemplate = {0x80, 0x01, algorithm, 0x84, 0x02, static_cast<std::uint8_t>(keyReference >> 8),
                                 static_cast<std::uint8_t>(keyReference)};
  Checked(channel, CommandAPDU(kIsoClass, kManageSecurityEnvironment, 0x41, 0xB6, keyTemplate, false));
}

ByteArray CardApplication::ComputeSignature(CardChannel& channel, const ByteArray& data) const {
  return Checked(channel, CommandAPDU(kIsoClass, kPerformSecurityOperation, 0x9E, 0x00, data, kAnyLength,
                                      data.size() > 255))
      .data();
}

std::uint16_t CardApplication::GetFileSize(const ResponseAPDU& selectResponse) {
  const ByteArray& data = selectResponse.data();
  if (data.size() < 4) {
    throw CardException(TAVQ::FormatString(
        u"Selection of the elementary file failed: the card's answer has %d data bytes, too few to hold the file size",
        static_cast<int>(data.size())));
  }
  return static_cast<std::uint16_t>(data[2] << 8 | data[3]);
}
