#include "services/report_error.h"

#include <new>
#include <string>

#include "services/error_record.h"
#include "services/service_status.h"
#include "services/user_notifier.h"
#include "support/text.h"

namespace TAVQ {

namespace {

constexpr char16_t kUnknownError[] = u"Unknown Error";

HRESULT Publish(const ServiceIdentity& reporter, const WString& description, HRESULT status) {
  CurrentUserNotifier().Notify(description);
  // A record that cannot be made leaves the previous one; the status still goes back.
  CurrentErrorRecordStore().Publish(reporter, description);
  return status == S_OK ? DISP_E_EXCEPTION : status;
}

}  // namespace

HRESULT ReportError(const ServiceIdentity& reporter, const char* description, HRESULT status) {
  try {
    if (description == nullptr) {
      CurrentUserNotifier().Notify(kUnknownError);
      return E_POINTER;
    }
    return Publish(reporter, FromNarrow(description), status);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT ReportError(const ServiceIdentity& reporter, const char16_t* description, HRESULT status) {
  try {
    if (description == nullptr) {
      return Publish(reporter, kUnknownError, status == S_OK ? kUnknownErrorStatus : status);
    }
    return Publish(reporter, description, status);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace TAVQ
