// One card operation: connects the channel and holds a PC/SC transaction for the
// scope's lifetime; on every exit ends the transaction and disconnects, leaving
// the card. Failures while closing are swallowed so that the failure that ended
// the operation is the one reported.
#pragma once

#include <cstdint>

#include "transport/card_channel.h"

class CardAccessScope {
 public:
  explicit CardAccessScope(SmartCardIO::CardChannel& channel, std::uint8_t disposition = 0);
  ~CardAccessScope();
  CardAccessScope(const CardAccessScope&) = delete;
  CardAccessScope& operator=(const CardAccessScope&) = delete;

 private:
  void Close() noexcept;

  SmartCardIO::CardChannel& channel_;
  std::uint8_t disposition_;
};
