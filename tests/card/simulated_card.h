// A card that answers commands at the channel: files by ID, one card application, a
// card manager with production data, and an RSA key that signs whatever PERFORM
// SECURITY OPERATION hands it; with failures of the reader injected on request.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "card_script.h"
#include "test_pki.h"
#include "transport/card_channel.h"

class SimulatedCard : public SmartCardIO::CardChannel {
 public:
  explicit SimulatedCard(const TestPki* key = nullptr) : key_(key) {}

  std::string application = CardScript::kAid1;
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
                                        const std::vector<std::uint16_t>& present = CardScript::kAllBlocks,
                                        const TestPki* key = nullptr);
// The card object of ID 1 opened over the card, the card's log cleared.
struct OpenedCard {
  SimulatedCard& card;
  std::unique_ptr<ZKCard> zk;
};
OpenedCard OpenCard(std::unique_ptr<SimulatedCard> card);
