// Several card operations as one job, for a front end that does the whole job at once:
// the card objects built on the session share one connection and one PC/SC
// transaction, opened by the first operation and held until the session ends, and a
// record of the application selected, so that an operation does not select again what
// is already selected.
//
// The record is forgotten on anything that may change the selection: selecting
// another AID, a failed command, a closed or reset connection. Without a session (the
// COM methods, which must leave the card to other programs between calls) every
// operation connects, begins a transaction and selects on its own.
#pragma once

#include <memory>
#include <optional>

#include "card/card_access_scope.h"
#include "support/types.h"
#include "transport/card_channel.h"

class CardSession {
 public:
  explicit CardSession(std::shared_ptr<SmartCardIO::CardChannel> channel);
  // Ends the transaction and disconnects, leaving the card; never raises.
  ~CardSession();
  CardSession(const CardSession&) = delete;
  CardSession& operator=(const CardSession&) = delete;

  const std::shared_ptr<SmartCardIO::CardChannel>& channel() const { return channel_; }
  bool IsOpen() const { return access_.has_value(); }

  // Connects and begins the transaction unless that is done already.
  void Open();
  // Ends the transaction and disconnects, forgetting the selection: the card may be
  // reset or used by others before the next Open.
  void Close() noexcept;

  bool IsSelected(const TAVQ::ByteArray& aid) const { return selected_ == aid; }
  void RecordSelected(const TAVQ::ByteArray& aid) { selected_ = aid; }
  void ForgetSelection() { selected_.reset(); }

 private:
  std::shared_ptr<SmartCardIO::CardChannel> channel_;
  std::optional<CardAccessScope> access_;
  std::optional<TAVQ::ByteArray> selected_;
};
