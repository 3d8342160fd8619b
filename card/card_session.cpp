#include "card/card_session.h"

#include <utility>

CardSession::CardSession(std::shared_ptr<SmartCardIO::CardChannel> channel) : channel_(std::move(channel)) {}

CardSession::~CardSession() { Close(); }

void CardSession::Open() {
  if (access_) return;
  access_.emplace(*channel_);
}

void CardSession::Close() noexcept {
  // Whatever was selected belongs to this transaction only.
  selected_.reset();
  access_.reset();
}
