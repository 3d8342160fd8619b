#include "card_script.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_pki.h"

namespace CardScript {

ByteArray Element(std::uint16_t tag, const ByteArray& value) {
  ByteArray out = {static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(tag >> 8),
                   static_cast<std::uint8_t>(value.size()), static_cast<std::uint8_t>(value.size() >> 8)};
  out.insert(out.end(), value.begin(), value.end());
  return out;
}

ByteArray Concat(std::initializer_list<ByteArray> parts) {
  ByteArray out;
  for (const ByteArray& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

ByteArray HeaderBlock(int documentId, const std::vector<std::uint16_t>& present) {
  ByteArray list;
  for (std::uint16_t id : present) list.insert(list.end(), {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8)});
  return Block(0x0D00, Concat({Element(0x0601, {'0', static_cast<std::uint8_t>('0' + documentId)}),
                               Element(0x0602, {'0', '1'}), Element(0x0603, list)}));
}

ByteArray FillerBlock(std::uint16_t tag, std::size_t bodySize) {
  return Block(tag, Element(0x06FF, ByteArray(bodySize - 4, static_cast<std::uint8_t>(tag))));
}

ByteArray DocumentBlock(const std::string& chipSerial) {
  auto ascii = [](const std::string& text) { return ByteArray(text.begin(), text.end()); };
  return Block(0x0D01, Concat({Element(0x0611, {'I', 0}), Element(0x0612, ascii("12345")),
                               Element(0x0613, ascii("99887766554")), Element(0x0615, ascii("01012020")),
                               Element(0x0616, ascii("01012030")), Element(0x0617, ascii(chipSerial)),
                               Element(0x0618, ascii("01"))}));
}

ByteArray KeySodContent(const ByteArray& keyFile) { return Concat({ByteArray(3 * 32, 0x00), Sha256Of(keyFile)}); }

void ExpectSelectApplication(Fakes::FakePCSC& pcsc, const char* aidHex) {
  const ByteArray aid = Fakes::Hex(aidHex);
  pcsc.ExpectApdu(Concat({{0x00, 0xA4, 0x04, 0x00, static_cast<std::uint8_t>(aid.size())}, aid, {0x00}}), {0x90, 0x00});
}

void ExpectSelectFile(Fakes::FakePCSC& pcsc, std::uint16_t fileId, std::size_t efSize) {
  pcsc.ExpectApdu({0x00, 0xA4, 0x00, 0x00, 0x02, static_cast<std::uint8_t>(fileId >> 8),
                   static_cast<std::uint8_t>(fileId), 0x00},
                  {0x62, 0x04, static_cast<std::uint8_t>(efSize >> 8), static_cast<std::uint8_t>(efSize), 0x90, 0x00});
}

void ExpectReadBinary(Fakes::FakePCSC& pcsc, const ByteArray& file, std::size_t length) {
  for (std::size_t offset = 0; offset < length; offset += 128) {
    const std::size_t chunk = std::min<std::size_t>(128, length - offset);
    const auto from = file.begin() + static_cast<std::ptrdiff_t>(offset);
    pcsc.ExpectApdu({0x00, 0xB0, static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset),
                     static_cast<std::uint8_t>(chunk)},
                    Concat({ByteArray(from, from + static_cast<std::ptrdiff_t>(chunk)), {0x90, 0x00}}));
  }
}

void ExpectBlockRead(Fakes::FakePCSC& pcsc, const ByteArray& block, const char* aidHex) {
  ExpectSelectApplication(pcsc, aidHex);
  ExpectSelectFile(pcsc, static_cast<std::uint16_t>(block[0] | block[1] << 8), block.size());
  ExpectReadBinary(pcsc, block, 4);
  ExpectReadBinary(pcsc, block, block.size());
}

std::unique_ptr<ZKCard> OpenCard(Fakes::FakePCSC& pcsc, const std::vector<std::uint16_t>& present) {
  ExpectBlockRead(pcsc, HeaderBlock(1, present));
  auto card = std::make_unique<ZKCard>(u"Virtual Reader 0", 1);
  EXPECT_TRUE(pcsc.ScriptDone());
  pcsc.ClearLog();
  return card;
}

}  // namespace CardScript
