#include "health_card_script.h"

namespace CardScript {

namespace {

void Append(ByteArray& out, const ByteArray& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

ByteArray Status9000(ByteArray data) {
  data.push_back(0x90);
  data.push_back(0x00);
  return data;
}

}  // namespace

ByteArray Element(std::uint16_t tag, const ByteArray& value) {
  ByteArray out = {static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(tag >> 8),
                   static_cast<std::uint8_t>(value.size()), static_cast<std::uint8_t>(value.size() >> 8)};
  Append(out, value);
  return out;
}

ByteArray Block(std::uint16_t tag, const std::vector<ByteArray>& elements) {
  ByteArray body;
  for (const ByteArray& element : elements) Append(body, element);
  return Element(tag, body);
}

ByteArray Ascii(const std::string& text) { return ByteArray(text.begin(), text.end()); }

ByteArray Utf16(const std::u16string& text) {
  ByteArray out;
  for (char16_t unit : text) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return out;
}

ByteArray HeaderBlock(const std::string& documentId, const std::vector<std::uint16_t>& present) {
  ByteArray list;
  for (std::uint16_t id : present) {
    list.push_back(static_cast<std::uint8_t>(id));
    list.push_back(static_cast<std::uint8_t>(id >> 8));
  }
  return Block(0x0D00, {Element(0x0601, Ascii(documentId)), Element(0x0602, Ascii("01")), Element(0x0603, list)});
}

ByteArray DocumentBlock() {
  return Block(0x0D01, {Element(0x0611, Utf16(u"Fond zdravstvenog osiguranja \u010Cačak")),
                        Element(0x0612, Ascii("12345")), Element(0x0613, Ascii("00012345678")),
                        Element(0x0615, Ascii("15032021")), Element(0x0616, Ascii("14032031")),
                        Element(0x0617, Ascii("0123456789ABCDEF")), Element(0x0618, Ascii("SR"))});
}

ByteArray DocumentBlockWithoutInsurerName() {
  return Block(0x0D01, {Element(0x0612, Ascii("12345")), Element(0x0613, Ascii("00012345678")),
                        Element(0x0615, Ascii("15032021")), Element(0x0616, Ascii("14032031")),
                        Element(0x0617, Ascii("0123456789ABCDEF")), Element(0x0618, Ascii("SR"))});
}

ByteArray VariablePersoBlock() {
  return Block(0x0D03, {Element(0x0630, Ascii("00012345678")), Element(0x0631, Ascii("15032021")),
                        Element(0x0633, Ascii("1"))});
}

ByteArray Aid(std::uint16_t cardId) {
  return cardId == 7 ? Fakes::Hex("F381000002534552534F564F5A4B01") : Fakes::Hex("F38100000253455256535A4B01");
}

void ExpectSelectApplication(Fakes::FakePCSC& pcsc, std::uint16_t cardId, const std::string& statusWord) {
  const ByteArray aid = Aid(cardId);
  ByteArray command = {0x00, 0xA4, 0x04, 0x00, static_cast<std::uint8_t>(aid.size())};
  Append(command, aid);
  command.push_back(0x00);
  pcsc.ExpectApdu(command, Fakes::Hex(statusWord));
}

void ExpectBlockRead(Fakes::FakePCSC& pcsc, std::uint16_t cardId, std::uint16_t blockId, const ByteArray& block) {
  ExpectSelectApplication(pcsc, cardId);
  const auto size = static_cast<std::uint16_t>(block.size());
  pcsc.ExpectApdu({0x00, 0xA4, 0x00, 0x00, 0x02, static_cast<std::uint8_t>(blockId >> 8),
                   static_cast<std::uint8_t>(blockId), 0x00},
                  Status9000({0x00, 0x00, static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)}));
  pcsc.ExpectApdu({0x00, 0xB0, 0x00, 0x00, 0x04}, Status9000(ByteArray(block.begin(), block.begin() + 4)));
  for (std::size_t offset = 0; offset < block.size(); offset += 128) {
    const std::size_t chunk = std::min<std::size_t>(128, block.size() - offset);
    pcsc.ExpectApdu({0x00, 0xB0, static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset),
                     static_cast<std::uint8_t>(chunk)},
                    Status9000(ByteArray(block.begin() + offset, block.begin() + offset + chunk)));
  }
}

void ExpectOpen(Fakes::FakePCSC& pcsc, std::uint16_t cardId, const ByteArray& header) {
  ExpectBlockRead(pcsc, cardId, 0x0D00, header);
}

}  // namespace CardScript
