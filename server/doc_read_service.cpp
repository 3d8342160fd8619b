// DocReadService: the Automation binding of the document reading service. Each
// method maps onto the plain service's method of the same name; the service reports
// its own failures (message box, error object) and returns the status.
#include <memory>

#include "model/document_block_object.h"
#include "model/fixed_perso_block_object.h"
#include "model/variable_admin_block_object.h"
#include "model/variable_perso_block_object.h"
#include "server/block_object_creation.h"
#include "server/bstr.h"
#include "server/classes.h"
#include "server/com_object.h"
#include "server/kavrin.h"
#include "server/property_binding.h"
#include "services/doc_read_service.h"

namespace Server {

namespace {

class DocReadService : public ComObject<IDocReadService, IID_IDocReadService, true> {
 public:
  using ComObject::ComObject;

  HRESULT STDMETHODCALLTYPE InitCard(BSTR readerName, unsigned short cardId) override {
    return Guarded([&] { return service_.InitCard(FromBstr(readerName), cardId); });
  }
  HRESULT STDMETHODCALLTYPE InitCardVB(BSTR readerName, short cardId) override {
    return Guarded([&] { return service_.InitCardVB(FromBstr(readerName), cardId); });
  }
  HRESULT STDMETHODCALLTYPE ReleaseCard() override {
    return Guarded([&] { return service_.ReleaseCard(); });
  }
  HRESULT STDMETHODCALLTYPE CheckCardOrigin() override {
    return Guarded([&] { return service_.CheckCardOrigin(); });
  }

  HRESULT STDMETHODCALLTYPE ReadZKDocumentData(IZKDocumentBlock** block) override {
    return Read<ZK::DocumentBlockObject>(CLSID_ZKDocumentBlock, IID_IZKDocumentBlock, block,
                                         &TAVQ::CDocReadService::ReadZKDocumentData,
                                         &TAVQ::CDocReadService::ReadZKDocumentData);
  }
  HRESULT STDMETHODCALLTYPE ReadZKFixedPersoData(IZKFixedPersoBlock** block) override {
    return Read<ZK::FixedPersoBlockObject>(CLSID_ZKFixedPersoBlock, IID_IZKFixedPersoBlock, block,
                                           &TAVQ::CDocReadService::ReadZKFixedPersoData,
                                           &TAVQ::CDocReadService::ReadZKFixedPersoData);
  }
  HRESULT STDMETHODCALLTYPE ReadZKVariableAdminData(IZKVariableAdminBlock** block) override {
    return Read<ZK::VariableAdminBlockObject>(CLSID_ZKVariableAdminBlock, IID_IZKVariableAdminBlock, block,
                                              &TAVQ::CDocReadService::ReadZKVariableAdminData,
                                              &TAVQ::CDocReadService::ReadZKVariableAdminData);
  }
  HRESULT STDMETHODCALLTYPE ReadZKVariablePersoData(IZKVariablePersoBlock** block) override {
    return Read<ZK::VariablePersoBlockObject>(CLSID_ZKVariablePersoBlock, IID_IZKVariablePersoBlock, block,
                                              &TAVQ::CDocReadService::ReadZKVariablePersoData,
                                              &TAVQ::CDocReadService::ReadZKVariablePersoData);
  }

  HRESULT STDMETHODCALLTYPE VerifyZKDocumentData(BSTR* signer) override {
    return Verify(&TAVQ::CDocReadService::VerifyZKDocumentData, signer);
  }
  HRESULT STDMETHODCALLTYPE VerifyZKFixedPersoData(BSTR* signer) override {
    return Verify(&TAVQ::CDocReadService::VerifyZKFixedPersoData, signer);
  }
  HRESULT STDMETHODCALLTYPE VerifyZKVariableAdminData(BSTR* signer) override {
    return Verify(&TAVQ::CDocReadService::VerifyZKVariableAdminData, signer);
  }
  HRESULT STDMETHODCALLTYPE VerifyZKVariablePersoData(BSTR* signer) override {
    return Verify(&TAVQ::CDocReadService::VerifyZKVariablePersoData, signer);
  }

 private:
  // The block's coclass is created in-process and loaded through the hand-over; a
  // null result pointer goes to the service, which reports it as E_POINTER. Every path
  // runs under Guarded: nothing, not even an allocation failure, leaves a COM method.
  template <class PlainObject, class Itf, class Decoded>
  HRESULT Read(REFCLSID classId, REFIID iid, Itf** result,
               HRESULT (TAVQ::CDocReadService::*read)(TAVQ::BlockObjectSlot<Decoded>&),
               HRESULT (TAVQ::CDocReadService::*reportNull)(std::unique_ptr<PlainObject>*)) {
    if (result == nullptr) return Guarded([&] { return (service_.*reportNull)(nullptr); });
    *result = nullptr;
    return Guarded([&] {
      CreatedBlockObject<Decoded, Itf> slot(classId, iid, result);
      return (service_.*read)(slot);
    });
  }

  HRESULT Verify(HRESULT (TAVQ::CDocReadService::*verify)(TAVQ::WString*), BSTR* result) {
    if (result == nullptr) return Guarded([&] { return (service_.*verify)(nullptr); });
    *result = nullptr;
    return Guarded([&] {
      TAVQ::WString signer;
      const HRESULT status = (service_.*verify)(&signer);
      return FAILED(status) ? status : ToBstr(signer, result);
    });
  }

  TAVQ::CDocReadService service_;
};

}  // namespace

HRESULT CreateDocReadService(IUnknown* outer, REFIID iid, void** out) {
  return CreateComObject<DocReadService>(outer, iid, out);
}

}  // namespace Server
