#include "services/health_card_selection_dialog.h"

#include <memory>

#include "card/card_access_scope.h"
#include "card/card_application.h"
#include "support/exception.h"
#include "transport/card_channel.h"
#include "transport/pcsc_card_connection.h"

namespace TAVQ {

namespace {

bool SelectsApplication(SmartCardIO::CardChannel& channel, std::uint16_t cardId) {
  try {
    CardApplication::ForCardId(cardId).SelectApplication(channel);
    return true;
  } catch (const JavaCard::AppletException&) {
    return false;
  }
}

}  // namespace

HealthCardSelectionDialog::HealthCardSelectionDialog(const PCSC::PCSCContext& context)
    : ReaderSelectionDialog(context) {
  flags = PCSC::kDialogMinimalUi;
  shareMode = PCSC::kShareShared;
  preferredProtocols = PCSC::kProtocolT0OrT1;
}

bool HealthCardSelectionDialog::CheckCard(PCSC::ContextHandle /*context*/, PCSC::CardHandle card) {
  SmartCardIO::PCSCCardChannel channel(
      WString(), std::make_unique<PCSC::PCSCAttachedConnection>(card, PCSC::kShareShared, PCSC::kProtocolT0OrT1));
  // Ends the transaction before the channel goes; the borrowed card stays connected.
  CardAccessScope scope(channel);
  return SelectsApplication(channel, 1) || SelectsApplication(channel, 7);
}

}  // namespace TAVQ
