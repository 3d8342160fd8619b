#include "card_script.h"

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

std::string SelectFile(std::uint16_t fileId) {
  return HexOf({0x00, 0xA4, 0x00, 0x00, 0x02, static_cast<std::uint8_t>(fileId >> 8), static_cast<std::uint8_t>(fileId), 0});
}

}  // namespace CardScript
