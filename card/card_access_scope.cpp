#include "card/card_access_scope.h"

#include "support/exception.h"

CardAccessScope::CardAccessScope(SmartCardIO::CardChannel& channel, std::uint8_t disposition)
    : channel_(channel), disposition_(disposition) {
  channel_.Connect();
  try {
    channel_.BeginTransaction();
  } catch (...) {
    // The destructor does not run for a constructor that raises.
    Close();
    throw;
  }
  channel_.transactionHeld = true;
}

CardAccessScope::~CardAccessScope() { Close(); }

void CardAccessScope::Close() noexcept {
  if (channel_.transactionHeld) {
    channel_.transactionHeld = false;
    try {
      channel_.EndTransaction();
    } catch (...) {
      // A card removed meanwhile cannot end its transaction; disconnecting still must.
    }
  }
  try {
    channel_.Disconnect(disposition_);
  } catch (...) {
  }
}
