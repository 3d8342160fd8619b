#include "card_script.h"

#include "test_pki.h"

#include <algorithm>
#include <cstdio>

namespace CardScript {

ByteArray Element(std::uint16_t tag, const ByteArray& value) {
  ByteArray out = {static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(tag >> 8),
                   static_cast<std::uint8_t>(value.size()), static_cast<std::uint8_t>(value.size() >> 8)};
  out.insert(out.end(), value.begin(), value.end());
  return out;
}

ByteArray Block(std::uint16_t tag, const ByteArray& body) { return Element(tag, body); }

ByteArray Concat(std::initializer_list<ByteArray> parts) {
  ByteArray out;
  for (const ByteArray& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

ByteArray HeaderBlock(int documentId, const std::vector<std::uint16_t>& present, std::size_t bodySize) {
  ByteArray list;
  for (std::uint16_t id : present) {
    list.push_back(static_cast<std::uint8_t>(id));
    list.push_back(static_cast<std::uint8_t>(id >> 8));
  }
  ByteArray body = Concat({Element(0x0601, {'0', static_cast<std::uint8_t>('0' + documentId)}),
                           Element(0x0602, {'0', '1'}), Element(0x0603, list)});
  if (bodySize > body.size()) {
    const ByteArray filler = Element(0x06FF, ByteArray(bodySize - body.size() - 4, 0xEE));
    body.insert(body.end(), filler.begin(), filler.end());
  }
  return Block(0x0D00, body);
}

ByteArray FillerBlock(std::uint16_t tag, std::size_t bodySize) {
  return Block(tag, Element(0x06FF, ByteArray(bodySize - 4, static_cast<std::uint8_t>(tag))));
}

std::string HexOf(const ByteArray& bytes) {
  std::string text;
  char digits[3];
  for (std::uint8_t b : bytes) {
    std::snprintf(digits, sizeof digits, "%02X", b);
    text += digits;
  }
  return text;
}

void ExpectSelectApplication(Fakes::FakePCSC& pcsc, const char* aidHex) {
  const ByteArray aid = Fakes::Hex(aidHex);
  pcsc.ExpectApdu(Concat({{0x00, 0xA4, 0x04, 0x00, static_cast<std::uint8_t>(aid.size())}, aid, {0x00}}),
                  {0x90, 0x00});
}

void ExpectSelectFile(Fakes::FakePCSC& pcsc, std::uint16_t fileId, std::size_t efSize) {
  pcsc.ExpectApdu({0x00, 0xA4, 0x00, 0x00, 0x02, static_cast<std::uint8_t>(fileId >> 8),
                   static_cast<std::uint8_t>(fileId), 0x00},
                  {0x62, 0x04, static_cast<std::uint8_t>(efSize >> 8), static_cast<std::uint8_t>(efSize), 0x90, 0x00});
}

void ExpectReadBinary(Fakes::FakePCSC& pcsc, const ByteArray& file, std::size_t length) {
  for (std::size_t offset = 0; offset < length; offset += 128) {
    const std::size_t chunk = std::min<std::size_t>(128, length - offset);
    ByteArray answer(file.begin() + static_cast<std::ptrdiff_t>(offset),
                     file.begin() + static_cast<std::ptrdiff_t>(offset + chunk));
    answer.insert(answer.end(), {0x90, 0x00});
    pcsc.ExpectApdu({0x00, 0xB0, static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset),
                     static_cast<std::uint8_t>(chunk)},
                    answer);
  }
}

void ExpectBlockRead(Fakes::FakePCSC& pcsc, const ByteArray& block, const char* aidHex) {
  const std::uint16_t tag = static_cast<std::uint16_t>(block[0] | block[1] << 8);
  ExpectSelectApplication(pcsc, aidHex);
  ExpectSelectFile(pcsc, tag, block.size());
  ExpectReadBinary(pcsc, block, 4);
  ExpectReadBinary(pcsc, block, block.size());
}

ByteArray KeySod(const ByteArray& signedData) { return Block(0x0D05, Element(0x0750, signedData)); }

ByteArray KeySodContent(const ByteArray& keyFile) {
  ByteArray content(3 * 32, 0x00);
  const ByteArray keyHash = Sha256Of(keyFile);
  content.insert(content.end(), keyHash.begin(), keyHash.end());
  return content;
}

}  // namespace CardScript
