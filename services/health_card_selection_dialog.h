// The reader selection of SmartCardService: offers only readers whose card carries
// one of the two health card applications.
#pragma once

#include "transport/reader_selection_dialog.h"

namespace TAVQ {

class HealthCardSelectionDialog : public PCSC::ReaderSelectionDialog {
 public:
  explicit HealthCardSelectionDialog(const PCSC::PCSCContext& context);

  // True when application 1 or, failing that, application 7 can be selected on the
  // card. PC/SC and transport failures raise (the dialog refuses such a card).
  bool CheckCard(PCSC::ContextHandle context, PCSC::CardHandle card) override;
};

}  // namespace TAVQ
