#include "services/utilities_service.h"

#include <new>

#include "services/trace_scope.h"
#include "support/exception.h"

namespace TAVQ {

HRESULT CUtilitiesService::GetErrorMessage(std::int32_t errorCode, WString* message) {
  TraceScope trace("CUtilitiesService::GetErrorMessage", "ErrorCode=%d", static_cast<int>(errorCode));
  if (message == nullptr) return trace.Result(E_POINTER);
  try {
    *message = SystemMessage(errorCode);
    return trace.Result(S_OK);
  } catch (const std::bad_alloc&) {
    return trace.Result(E_OUTOFMEMORY);
  }
}

}  // namespace TAVQ
