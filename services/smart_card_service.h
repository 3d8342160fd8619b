// SmartCardService: which reader to give DocReadService.InitCard. Keeps no state;
// every call opens and closes its own PC/SC context.
#pragma once

#include "services/service_identity.h"
#include "support/hresult.h"
#include "support/types.h"
#include "transport/pcsc_context.h"
#include "transport/reader_selection_dialog.h"

namespace TAVQ {

class CSmartCardService {
 public:
  explicit CSmartCardService(const ServiceIdentity& identity = SmartCardServiceIdentity());

  // The reader holding a health card, chosen by the user, or without asking when it is
  // the only one. Nothing chosen: 0x800704C7 without a report, the result untouched.
  HRESULT SelectReader(WString* readerName);
  // The same in the caller's context, established here (system scope) unless it is
  // already: a front end that goes on to the card keeps one context for the whole job.
  HRESULT SelectReader(PCSC::PCSCContext& context, WString* readerName);

  // The readers of the resource manager in its order; none, and no smart card
  // service, give an empty list.
  HRESULT ListReaders(StringList* readers);

  // Where the platform has no selection dialog: how to choose among several readers
  // (unset: ask on the terminal when there is one).
  PCSC::ReaderSelectionDialog::ReaderChooser chooser;

 private:
  ServiceIdentity identity_;
};

}  // namespace TAVQ
