// A card that answers commands at the channel: files by ID and an RSA key that
// signs whatever PERFORM SECURITY OPERATION hands it. For the exchanges that a
// fixed script cannot hold (a fresh random challenge every run).
#pragma once

#include <map>
#include <vector>

#include "support/types.h"
#include "test_pki.h"
#include "transport/card_channel.h"

class SimulatedCard : public SmartCardIO::CardChannel {
 public:
  explicit SimulatedCard(const TestPki& key) : key_(key) {}

  std::map<std::uint16_t, TAVQ::ByteArray> files;
  // Every command the card received, encoded, in order.
  std::vector<TAVQ::ByteArray> commands;
  // Data the card received for signing, in order.
  std::vector<TAVQ::ByteArray> signedData;
  // When set, the card signs these bytes instead of what it received.
  TAVQ::ByteArray signInstead;
  int connects = 0;
  int disconnects = 0;
  int openTransactions = 0;

  SmartCardIO::ResponseAPDU Transmit(const SmartCardIO::CommandAPDU& command) override;
  TAVQ::ByteArray Control(std::uint32_t, const TAVQ::ByteArray&) override { return {}; }
  void Connect() override { ++connects; }
  void Disconnect(std::uint8_t) override { ++disconnects; }
  void BeginTransaction() override { ++openTransactions; }
  void EndTransaction() override { --openTransactions; }
  TAVQ::ByteArray TransmitRaw(const TAVQ::ByteArray&, bool) override { return {0x6D, 0x00}; }
  std::uint32_t GetProtocol() const override { return 2; }

 private:
  const TestPki& key_;
  std::uint16_t selected_ = 0;
};
