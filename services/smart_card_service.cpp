#include "services/smart_card_service.h"

#include "services/handle_exception.h"
#include "services/health_card_selection_dialog.h"
#include "services/report_error.h"
#include "services/service_status.h"
#include "services/trace_scope.h"
#include "support/exception.h"
#include "transport/pcsc_constants.h"
#include "transport/pcsc_context.h"

namespace TAVQ {

namespace {

// No smart card service at all is no reader at all.
bool IsServiceAbsent(std::int32_t code) { return code == PCSC::kNoService || code == PCSC::kServiceStopped; }

}  // namespace

CSmartCardService::CSmartCardService(const ServiceIdentity& identity) : identity_(identity) {}

HRESULT CSmartCardService::SelectReader(WString* readerName) {
  PCSC::PCSCContext context;
  return SelectReader(context, readerName);
}

HRESULT CSmartCardService::SelectReader(PCSC::PCSCContext& context, WString* readerName) {
  // The result slot holds no reader name yet; the trace shows what the caller left there.
  TraceScope trace("CSmartCardService::SelectReader", "ReaderName=%S",
                   readerName != nullptr ? readerName->c_str() : u"");
  if (readerName == nullptr) {
    return trace.Result(ReportError(identity_, "Reader name cannot be empty.", E_INVALIDARG));
  }
  try {
    WString selected;
    {
      if (!context.established()) context.Establish(PCSC::kScopeSystem);
      HealthCardSelectionDialog dialog(context);
      dialog.chooser = chooser;
      dialog.Show();
      selected = dialog.selectedReader;
    }
    if (selected.empty()) return trace.Result(kSelectionCancelled);
    *readerName = std::move(selected);
    return trace.Result(S_OK);
  } catch (...) {
    return trace.Result(HandleException(identity_));
  }
}

HRESULT CSmartCardService::ListReaders(StringList* readers) {
  TraceScope trace("CSmartCardService::ListReaders");
  if (readers == nullptr) {
    return trace.Result(ReportError(identity_, "Readers parameter cannot be null.", E_INVALIDARG));
  }
  try {
    PCSC::PCSCContext context;
    try {
      context.Establish(PCSC::kScopeUser);
    } catch (const PCSC::PCSCWin32Exception& e) {
      if (!IsServiceAbsent(e.errorCode)) throw;
      readers->clear();
      return trace.Result(S_OK);
    }
    *readers = context.Borrow().ListReaders();
    return trace.Result(S_OK);
  } catch (...) {
    return trace.Result(HandleException(identity_));
  }
}

}  // namespace TAVQ
