// A card that answers commands at the channel: files by ID, one card application, a
// card manager with production data, and an RSA key that signs whatever PERFORM
// SECURITY OPERATION hands it. For the exchanges that a fixed script cannot hold (a
// fresh random challenge every run).
#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "card_script.h"
#include "test_pki.h"
#include "transport/card_channel.h"

class SimulatedCard : public SmartCardIO::CardChannel {
 public:
  explicit SimulatedCard(const TestPki& key) : key_(key) {}

  std::string application = CardScript::kAid1;
  std::map<std::uint16_t, TAVQ::ByteArray> files;
  std::vector<std::string> sent;            // every command received, hex, in order
  std::vector<TAVQ::ByteArray> signedData;  // data received for signing, in order
  TAVQ::ByteArray signInstead;              // when set, signed instead of what was received
  std::optional<std::string> refuseOnce;    // this command is answered 6A82, once
  std::optional<std::string> removedOnce;   // this command raises "card removed", once
  bool noCard = false;                      // Connect raises
  int connects = 0;
  int disconnects = 0;
  int openTransactions = 0;

  int Count(const std::string& hex) const { return static_cast<int>(std::count(sent.begin(), sent.end(), hex)); }

  SmartCardIO::ResponseAPDU Transmit(const SmartCardIO::CommandAPDU& command) override;
  TAVQ::ByteArray Control(std::uint32_t, const TAVQ::ByteArray&) override { return {}; }
  void Connect() override;
  void Disconnect(std::uint8_t) override { ++disconnects; }
  void BeginTransaction() override { ++openTransactions; }
  void EndTransaction() override { --openTransactions; }
  TAVQ::ByteArray TransmitRaw(const TAVQ::ByteArray&, bool) override { return {0x6D, 0x00}; }
  std::uint32_t GetProtocol() const override { return 2; }

 private:
  const TestPki& key_;
  std::uint16_t selected_ = 0;
};
