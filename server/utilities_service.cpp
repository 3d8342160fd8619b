// UtilitiesService: the platform's message text for any error code. Never reports.
#include <new>

#include "server/bstr.h"
#include "server/classes.h"
#include "server/com_object.h"
#include "server/kavrin.h"
#include "support/exception.h"

namespace Server {

namespace {

class UtilitiesService : public ComObject<IUtilitiesService, IID_IUtilitiesService, false> {
 public:
  using ComObject::ComObject;

  HRESULT STDMETHODCALLTYPE GetErrorMessage(LONG code, BSTR* message) override {
    if (message == nullptr) return E_POINTER;
    *message = nullptr;
    try {
      return ToBstr(TAVQ::SystemMessage(static_cast<std::int32_t>(code)), message);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }
};

}  // namespace

HRESULT CreateUtilitiesService(IUnknown* outer, REFIID iid, void** out) {
  return CreateComObject<UtilitiesService>(outer, iid, out);
}

}  // namespace Server
