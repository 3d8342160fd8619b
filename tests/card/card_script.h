// Card images built byte by byte, independent of the codec under test, and a card serving them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "card/zk_card.h"
#include "fakes/fake_pcsc.h"
#include "model/block_bytes.h"
#include "support/text.h"
#include "test_pki.h"
#include "transport/card_channel.h"

namespace CardScript {

using Fakes::HexOf;
using SmartCardIO::ResponseAPDU;
using TAVQ::ByteArray;

constexpr const char* kAid1 = "F38100000253455256535A4B01";
constexpr const char* kAid7 = "F381000002534552534F564F5A4B01";
const std::string kSelectApplication = "00A404000D" + std::string(kAid1) + "00";
const std::vector<std::uint16_t> kAllBlocks = {0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04,
                                              0x0D05, 0x0D06, 0x0D07, 0x0D09};

using ZKTest::Element;

inline ByteArray Concat(std::initializer_list<ByteArray> parts) {
  ByteArray out;
  for (const ByteArray& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

const std::string kInvalidKey = "Invalid public key\r\nParameter Name: publicKeyDer";

// The header block: document ID "0<documentId>", version "01", the present list.
inline ByteArray HeaderBlock(int documentId, const std::vector<std::uint16_t>& present = kAllBlocks) {
  ByteArray list;
  for (std::uint16_t id : present) list.insert(list.end(), {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8)});
  return Element(0x0D00, Concat({Element(0x0601, {'0', static_cast<std::uint8_t>('0' + documentId)}),
                                 Element(0x0602, {'0', '1'}), Element(0x0603, list)}));
}

// A block whose body is one undeclared element of filler bytes.
inline ByteArray FillerBlock(std::uint16_t tag, std::size_t bodySize) {
  return Element(tag, Element(0x06FF, ByteArray(bodySize - 4, static_cast<std::uint8_t>(tag))));
}

inline ByteArray DocumentBlock(const std::string& chipSerial) {
  auto ascii = [](const std::string& text) { return ByteArray(text.begin(), text.end()); };
  return Element(0x0D01, Concat({Element(0x0611, {'I', 0}), Element(0x0612, ascii("12345")),
                                 Element(0x0613, ascii("99887766554")), Element(0x0615, ascii("01012020")),
                                 Element(0x0616, ascii("01012030")), Element(0x0617, ascii(chipSerial)),
                                 Element(0x0618, ascii("01"))}));
}

inline std::string SelectFile(std::uint16_t fileId) {
  return HexOf({0x00, 0xA4, 0x00, 0x00, 0x02, static_cast<std::uint8_t>(fileId >> 8), static_cast<std::uint8_t>(fileId), 0});
}

// What an action raises: a card's status word in hex, another failure's message, or "".
inline std::string OutcomeOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const JavaCard::AppletException& e) {
    return HexOf({static_cast<std::uint8_t>(e.statusWord >> 8), static_cast<std::uint8_t>(e.statusWord)});
  } catch (const TAVQ::Exception& e) {
    return TAVQ::ToUtf8(e.message);
  }
  return "";
}

// Files by ID, one application, a card manager, a signing key; reader failures on request.
class SimulatedCard : public SmartCardIO::CardChannel {
 public:
  explicit SimulatedCard(const TestPki* key = nullptr) : key_(key) {}
  ~SimulatedCard() override {
    if (connectionsAtEnd != nullptr) *connectionsAtEnd = Connections();
  }

  std::string application = kAid1;
  std::map<std::uint16_t, ByteArray> files;
  std::vector<std::string> sent;                       // every command received, hex, in order
  std::vector<ByteArray> signedData;                   // data received for signing, in order
  ByteArray signInstead;                               // when set, signed instead of what was received
  std::map<std::string, ByteArray> answerOnce;         // command hex -> answer, given once
  std::map<std::string, std::int32_t> failOnce;        // "Connect", "Transmit"... -> PC/SC code, once
  int connects = 0;
  int disconnects = 0;
  int openTransactions = 0;
  std::string* connectionsAtEnd = nullptr;  // for a card owned by what is tested: Connections() when it goes

  // "connects/disconnects/open transactions"
  std::string Connections() const {
    return std::to_string(connects) + "/" + std::to_string(disconnects) + "/" + std::to_string(openTransactions);
  }
  int Count(const std::string& hex) const { return static_cast<int>(std::count(sent.begin(), sent.end(), hex)); }

  // A connect or a transaction counts once it succeeded; a disconnect or an end, once tried.
  void Connect() override { Fail("Connect"); ++connects; }
  void Disconnect(std::uint8_t) override { ++disconnects; Fail("Disconnect"); }
  void BeginTransaction() override { Fail("BeginTransaction"); ++openTransactions; }
  void EndTransaction() override { --openTransactions; Fail("EndTransaction"); }
  ByteArray Control(std::uint32_t, const ByteArray&) override { return {}; }
  ByteArray TransmitRaw(const ByteArray&, bool) override { return {0x6D, 0x00}; }
  std::uint32_t GetProtocol() const override { return 2; }

  ResponseAPDU Transmit(const SmartCardIO::CommandAPDU& command) override {
    const ByteArray& data = command.data();
    const std::string hex = HexOf(command.Encode());
    sent.push_back(hex);
    Fail("Transmit");
    if (auto once = answerOnce.extract(hex)) return ResponseAPDU(once.mapped());
    const auto ok = [](ByteArray bytes) { return ResponseAPDU(std::move(bytes), 0x90, 0x00); };
    switch (command.ins()) {
      case 0xA4: {
        if (command.p1() == 0x04) {
          const bool known = data == Fakes::Hex("A000000003000000") || data == Fakes::Hex(application);
          return known ? ok({}) : ResponseAPDU({}, 0x6A, 0x82);
        }
        selected_ = static_cast<std::uint16_t>(data.at(0) << 8 | data.at(1));
        if (files.count(selected_) == 0) return ResponseAPDU({}, 0x6A, 0x82);
        const std::size_t size = files[selected_].size();
        return ok({0x62, 0x04, static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
      }
      case 0xB0: {
        const ByteArray& file = files.at(selected_);
        const auto offset = static_cast<std::ptrdiff_t>(command.p1() << 8 | command.p2());
        const auto end = std::min(static_cast<std::ptrdiff_t>(file.size()), offset + command.ne());
        return ok(ByteArray(file.begin() + offset, file.begin() + end));
      }
      case 0xCA: {  // production data: bytes 13 to 20 are the serial 0D0E..14
        ByteArray cplc = {0x9F, 0x7F, 0x2A};
        for (std::uint8_t i = 3; i < 45; ++i) cplc.push_back(i);
        return ok(cplc);
      }
      case 0x22:  // the commands themselves are compared by the tests
        return ok({});
      case 0x2A:
        signedData.push_back(data);
        return ok(key_->SignRaw(signInstead.empty() ? data : signInstead));
      default:
        return ResponseAPDU({}, 0x6D, 0x00);
    }
  }

 private:
  void Fail(const std::string& call) {
    if (auto once = failOnce.extract(call)) throw TAVQ::PCSC::PCSCWin32Exception(call.c_str(), once.mapped());
  }

  const TestPki* key_;
  std::uint16_t selected_ = 0;
};

inline std::unique_ptr<SimulatedCard> CardWith(std::map<std::uint16_t, ByteArray> files,
                                               const std::vector<std::uint16_t>& present = kAllBlocks,
                                               const TestPki* key = nullptr) {
  auto card = std::make_unique<SimulatedCard>(key);
  card->files = std::move(files);
  card->files[0x0D00] = HeaderBlock(1, present);
  return card;
}

// SOD 0x0D05, signed by issuer: zeros for three hashes, then that of the key file as it is now.
inline void SignKeyFile(SimulatedCard& card, const TestPki& issuer) {
  const ByteArray hashes = Concat({ByteArray(3 * 32, 0x00), Sha256Of(card.files[0x0D07])});
  card.files[0x0D05] = Element(0x0D05, Element(0x0750, issuer.SignAttached(hashes)));
}

// A genuine card: its chip serial in the document, chip's key file signed by issuer.
inline std::unique_ptr<SimulatedCard> GenuineCard(const TestPki& chip, const TestPki& issuer) {
  auto card = CardWith({{0x0D01, DocumentBlock("0D0E0F1011121314")}, {0x0D02, FillerBlock(0x0D02, 40)},
                        {0x0D03, FillerBlock(0x0D03, 30)}, {0x0D07, chip.PublicKeyFile()}},
                       kAllBlocks, &chip);
  SignKeyFile(*card, issuer);
  return card;
}

// The card object of ID 1 opened over the card, the card's log cleared.
struct OpenedCard {
  SimulatedCard& card;
  std::unique_ptr<ZKCard> zk;
};
inline OpenedCard OpenCard(std::unique_ptr<SimulatedCard> card) {
  SimulatedCard& watched = *card;
  auto zk = std::make_unique<ZKCard>(std::move(card), 1);
  watched.sent.clear();
  return {watched, std::move(zk)};
}

}  // namespace CardScript
