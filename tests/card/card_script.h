// Card images for the card object's unit tests, built byte by byte here, independent
// of the codec under test; and the simulated card that serves them at the channel.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "card/zk_card.h"
#include "fakes/fake_pcsc.h"
#include "support/exception.h"
#include "support/text.h"
#include "support/types.h"
#include "test_pki.h"
#include "transport/card_channel.h"

namespace CardScript {

using TAVQ::ByteArray;

constexpr const char* kAid1 = "F38100000253455256535A4B01";
constexpr const char* kAid7 = "F381000002534552534F564F5A4B01";
const std::vector<std::uint16_t> kAllBlocks = {0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04,
                                              0x0D05, 0x0D06, 0x0D07, 0x0D09};

ByteArray Element(std::uint16_t tag, const ByteArray& value);
// A block: tag and body length (least significant byte first), then the body.
inline ByteArray Block(std::uint16_t tag, const ByteArray& body) { return Element(tag, body); }
ByteArray Concat(std::initializer_list<ByteArray> parts);
inline std::string HexOf(const ByteArray& bytes) { return TAVQ::ToNarrow(TAVQ::ToHexString(bytes)); }

// The card header block: document ID "0<documentId>", version "01", the present list.
ByteArray HeaderBlock(int documentId, const std::vector<std::uint16_t>& present = kAllBlocks);
// A block of the given tag whose body is an undeclared element of filler bytes.
ByteArray FillerBlock(std::uint16_t tag, std::size_t bodySize);
// The document block with the given chip serial number.
ByteArray DocumentBlock(const std::string& chipSerial);
// SOD 0x0D05 whose signed content is the given message.
inline ByteArray KeySod(const ByteArray& signedData) { return Block(0x0D05, Element(0x0750, signedData)); }
// The four hashes of SOD 0x0D05 with zeros for the three blocks and SHA-256 of keyFile.
ByteArray KeySodContent(const ByteArray& keyFile);
// SELECT of an EF, in hex.
std::string SelectFile(std::uint16_t fileId);

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

// A card that answers commands at the channel: files by ID, one card application, a
// card manager with production data, and an RSA key that signs whatever PERFORM
// SECURITY OPERATION hands it; with failures of the reader injected on request.
class SimulatedCard : public SmartCardIO::CardChannel {
 public:
  explicit SimulatedCard(const TestPki* key = nullptr) : key_(key) {}

  std::string application = kAid1;
  std::map<std::uint16_t, TAVQ::ByteArray> files;
  std::vector<std::string> sent;                       // every command received, hex, in order
  std::vector<TAVQ::ByteArray> signedData;             // data received for signing, in order
  TAVQ::ByteArray signInstead;                         // when set, signed instead of what was received
  std::map<std::string, TAVQ::ByteArray> answerOnce;   // command hex -> answer, given once
  std::map<std::string, std::int32_t> failOnce;        // "Connect", "Transmit"... -> PC/SC code, once
  int connects = 0;
  int disconnects = 0;
  int openTransactions = 0;

  int Count(const std::string& hex) const { return static_cast<int>(std::count(sent.begin(), sent.end(), hex)); }

  SmartCardIO::ResponseAPDU Transmit(const SmartCardIO::CommandAPDU& command) override;
  TAVQ::ByteArray Control(std::uint32_t, const TAVQ::ByteArray&) override { return {}; }
  void Connect() override;
  void Disconnect(std::uint8_t) override;
  void BeginTransaction() override;
  void EndTransaction() override;
  TAVQ::ByteArray TransmitRaw(const TAVQ::ByteArray&, bool) override { return {0x6D, 0x00}; }
  std::uint32_t GetProtocol() const override { return 2; }

 private:
  void FailIfAsked(const std::string& call);

  const TestPki* key_;
  std::uint16_t selected_ = 0;
};

// A card of application 1 with these files and the header block listing present.
std::unique_ptr<SimulatedCard> CardWith(std::map<std::uint16_t, TAVQ::ByteArray> files,
                                        const std::vector<std::uint16_t>& present = kAllBlocks,
                                        const TestPki* key = nullptr);
// A genuine card: its chip serial in the document, chip's key file signed by issuer.
std::unique_ptr<SimulatedCard> GenuineCard(const TestPki& chip, const TestPki& issuer);
// SOD 0x0D05, signed by issuer, over the key file as the card holds it now.
void SignKeyFile(SimulatedCard& card, const TestPki& issuer);
// The card object of ID 1 opened over the card, the card's log cleared.
struct OpenedCard {
  SimulatedCard& card;
  std::unique_ptr<ZKCard> zk;
};
OpenedCard OpenCard(std::unique_ptr<SimulatedCard> card);

}  // namespace CardScript
