// UtilitiesService: the platform's message text for any error code. Never reports.
#include "server/bstr.h"
#include "server/classes.h"
#include "server/com_object.h"
#include "server/kavrin.h"
#include "server/property_binding.h"
#include "services/utilities_service.h"

namespace Server {

namespace {

class UtilitiesService : public ComObject<IUtilitiesService, IID_IUtilitiesService, false> {
 public:
  using ComObject::ComObject;

  HRESULT STDMETHODCALLTYPE GetErrorMessage(LONG code, BSTR* message) override {
    if (message == nullptr) return E_POINTER;
    *message = nullptr;
    return Guarded([&] {
      TAVQ::WString text;
      const HRESULT status = service_.GetErrorMessage(static_cast<std::int32_t>(code), &text);
      if (FAILED(status)) return status;
      return ToBstr(text, message);
    });
  }

 private:
  TAVQ::CUtilitiesService service_;
};

}  // namespace

HRESULT CreateUtilitiesService(IUnknown* outer, REFIID iid, void** out) {
  return CreateComObject<UtilitiesService>(outer, iid, out);
}

}  // namespace Server
