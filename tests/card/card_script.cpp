#include "card_script.h"

#include <openssl/rand.h>

#include <stdexcept>

#include "card/random_challenge.h"

using SmartCardIO::ResponseAPDU;

// Linked in place of the library's: the same strong generator, with every challenge
// recorded, since the card only ever sees its digest.
std::vector<TAVQ::ByteArray> issuedChallenges;

TAVQ::ByteArray RandomChallenge(std::size_t length) {
  TAVQ::ByteArray challenge(length);
  if (RAND_bytes(challenge.data(), static_cast<int>(length)) != 1) throw std::runtime_error("no random bytes");
  issuedChallenges.push_back(challenge);
  return challenge;
}

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

void SimulatedCard::FailIfAsked(const std::string& call) {
  const auto it = failOnce.find(call);
  if (it == failOnce.end()) return;
  const std::int32_t code = it->second;
  failOnce.erase(it);
  throw TAVQ::PCSC::PCSCWin32Exception(call.c_str(), code);
}

void SimulatedCard::Connect() {
  FailIfAsked("Connect");
  ++connects;
}

void SimulatedCard::Disconnect(std::uint8_t) {
  ++disconnects;
  FailIfAsked("Disconnect");
}

void SimulatedCard::BeginTransaction() {
  FailIfAsked("BeginTransaction");
  ++openTransactions;
}

void SimulatedCard::EndTransaction() {
  --openTransactions;
  FailIfAsked("EndTransaction");
}

ResponseAPDU SimulatedCard::Transmit(const SmartCardIO::CommandAPDU& command) {
  const ByteArray& data = command.data();
  const std::string hex = HexOf(command.Encode());
  sent.push_back(hex);
  FailIfAsked("Transmit");
  if (const auto it = answerOnce.find(hex); it != answerOnce.end()) {
    const ByteArray answer = it->second;
    answerOnce.erase(it);
    return ResponseAPDU(answer);
  }
  switch (command.ins()) {
    case 0xA4: {
      if (command.p1() == 0x04) {
        const bool known = data == Fakes::Hex("A000000003000000") || data == Fakes::Hex(application);
        return known ? ResponseAPDU({}, 0x90, 0x00) : ResponseAPDU({}, 0x6A, 0x82);
      }
      selected_ = static_cast<std::uint16_t>(data.at(0) << 8 | data.at(1));
      if (files.count(selected_) == 0) return ResponseAPDU({}, 0x6A, 0x82);
      const std::size_t size = files[selected_].size();
      return ResponseAPDU({0x62, 0x04, static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)}, 0x90,
                          0x00);
    }
    case 0xB0: {
      const ByteArray& file = files.at(selected_);
      const std::size_t offset = static_cast<std::size_t>(command.p1() << 8 | command.p2());
      const std::size_t end = std::min(file.size(), offset + command.ne());
      return ResponseAPDU(ByteArray(file.begin() + static_cast<std::ptrdiff_t>(offset),
                                    file.begin() + static_cast<std::ptrdiff_t>(end)),
                          0x90, 0x00);
    }
    case 0xCA: {  // GET DATA of the production data: bytes 13 to 20 are the serial 0D0E..14
      ByteArray cplc = {0x9F, 0x7F, 0x2A};
      for (std::uint8_t i = 3; i < 45; ++i) cplc.push_back(i);
      return ResponseAPDU(cplc, 0x90, 0x00);
    }
    case 0x22:  // MANAGE SECURITY ENVIRONMENT: set the signature key, RSA with key 0D08
      if (command.p1() != 0x41 || command.p2() != 0xB6) return ResponseAPDU({}, 0x6A, 0x86);
      if (data != ByteArray{0x80, 0x01, 0x02, 0x84, 0x02, 0x0D, 0x08}) return ResponseAPDU({}, 0x6A, 0x80);
      return ResponseAPDU({}, 0x90, 0x00);
    case 0x2A:  // PERFORM SECURITY OPERATION: compute digital signature
      if (command.p1() != 0x9E || command.p2() != 0x00) return ResponseAPDU({}, 0x6A, 0x86);
      signedData.push_back(data);
      return ResponseAPDU(key_->SignRaw(signInstead.empty() ? data : signInstead), 0x90, 0x00);
    default:
      return ResponseAPDU({}, 0x6D, 0x00);
  }
}

std::unique_ptr<SimulatedCard> CardWith(std::map<std::uint16_t, ByteArray> files,
                                        const std::vector<std::uint16_t>& present, const TestPki* key) {
  auto card = std::make_unique<SimulatedCard>(key);
  card->files = std::move(files);
  card->files[0x0D00] = HeaderBlock(1, present);
  return card;
}

std::unique_ptr<SimulatedCard> GenuineCard(const TestPki& chip, const TestPki& issuer) {
  auto card = CardWith({{0x0D01, DocumentBlock("0D0E0F1011121314")}, {0x0D02, FillerBlock(0x0D02, 40)},
                        {0x0D03, FillerBlock(0x0D03, 30)}, {0x0D07, chip.PublicKeyFile()}},
                       kAllBlocks, &chip);
  SignKeyFile(*card, issuer);
  return card;
}

void SignKeyFile(SimulatedCard& card, const TestPki& issuer) {
  card.files[0x0D05] = KeySod(issuer.SignAttached(KeySodContent(card.files[0x0D07])));
}

OpenedCard OpenCard(std::unique_ptr<SimulatedCard> card) {
  SimulatedCard& watched = *card;
  auto zk = std::make_unique<ZKCard>(std::move(card), 1);
  watched.sent.clear();
  return {watched, std::move(zk)};
}

}  // namespace CardScript
