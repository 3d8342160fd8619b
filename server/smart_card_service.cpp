// SmartCardService: the Automation binding of the reader list and the reader
// selection. The plain service reports its own failures; this file adds the BSTR and
// SAFEARRAY forms of the results.
#include <memory>

#include "server/bstr.h"
#include "server/classes.h"
#include "server/com_object.h"
#include "server/kavrin.h"
#include "server/property_binding.h"
#include "server/wide.h"
#include "services/smart_card_service.h"

namespace Server {

namespace {

struct SafeArrayDestroyer {
  void operator()(SAFEARRAY* array) const noexcept { SafeArrayDestroy(array); }
};
using OwnedSafeArray = std::unique_ptr<SAFEARRAY, SafeArrayDestroyer>;

// A zero-based vector of VARIANTs holding one BSTR per name, in list order.
HRESULT ToVariantArray(const TAVQ::StringList& names, SAFEARRAY** out) {
  OwnedSafeArray array(SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(names.size())));
  if (!array) return E_OUTOFMEMORY;
  for (LONG index = 0; index < static_cast<LONG>(names.size()); ++index) {
    VARIANT element;
    VariantInit(&element);
    element.vt = VT_BSTR;
    element.bstrVal = SysAllocStringLen(AsWide(names[index]), static_cast<UINT>(names[index].size()));
    if (element.bstrVal == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = SafeArrayPutElement(array.get(), &index, &element);  // copies the element
    VariantClear(&element);
    if (FAILED(hr)) return hr;
  }
  *out = array.release();
  return S_OK;
}

class SmartCardService : public ComObject<ISmartCardService, IID_ISmartCardService, true> {
 public:
  using ComObject::ComObject;

  // Nothing chosen leaves the caller's value as it was.
  HRESULT STDMETHODCALLTYPE SelectReader(BSTR* readerName) override {
    if (readerName == nullptr) return Guarded([&] { return service_.SelectReader(nullptr); });
    return Guarded([&] {
      TAVQ::WString selected;
      const HRESULT status = service_.SelectReader(&selected);
      return status == S_OK ? ToBstr(selected, readerName) : status;
    });
  }

  // An [out] VARIANT carries no value on entry, so it is initialised, not cleared.
  HRESULT STDMETHODCALLTYPE ListReaders(VARIANT* readers) override {
    if (readers == nullptr) return Guarded([&] { return service_.ListReaders(nullptr); });
    VariantInit(readers);
    return Guarded([&] {
      TAVQ::StringList names;
      HRESULT status = service_.ListReaders(&names);
      if (FAILED(status)) return status;
      SAFEARRAY* array = nullptr;
      status = ToVariantArray(names, &array);
      if (FAILED(status)) return status;
      readers->vt = VT_ARRAY | VT_VARIANT;
      readers->parray = array;
      return S_OK;
    });
  }

 private:
  TAVQ::CSmartCardService service_;
};

}  // namespace

HRESULT CreateSmartCardService(IUnknown* outer, REFIID iid, void** out) {
  return CreateComObject<SmartCardService>(outer, iid, out);
}

}  // namespace Server
