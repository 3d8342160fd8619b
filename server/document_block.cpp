// ZKDocumentBlock: the Automation binding of the document block (0x0D01), read-only.
#include "model/document_block_object.h"
#include "server/block_hand_over.h"
#include "server/classes.h"
#include "server/com_object.h"
#include "server/kavrin.h"
#include "server/property_binding.h"

namespace Server {

namespace {

class ZKDocumentBlock : public ComObject<IZKDocumentBlock, IID_IZKDocumentBlock, false> {
 public:
  using ComObject::ComObject;
  using Object = ZK::DocumentBlockObject;

  // Only this module's hand-over of a decoded block is accepted (see BlockHandOver).
  HRESULT STDMETHODCALLTYPE Load(VARIANT* data) override {
    const ZK::DocumentDataBlock* block = BlockHandOver::ForLoad<ZK::DocumentDataBlock>(data);
    if (block == nullptr) return E_INVALIDARG;
    return Guarded([&] { return object_.Load(block); });
  }

  KAVRIN_READONLY(Bstr, BSTR, InsurerName)
  KAVRIN_READONLY(Bstr, BSTR, InsurerID)
  KAVRIN_READONLY(Bstr, BSTR, CardID)
  KAVRIN_READONLY(Date, DATE, DateOfIssue)
  KAVRIN_READONLY(Date, DATE, DateOfExpiry)
  KAVRIN_READONLY(Bstr, BSTR, ChipSerialNumber)
  KAVRIN_READONLY(Bstr, BSTR, PrintLanguage)

 private:
  Object object_;
};

}  // namespace

HRESULT CreateZKDocumentBlock(IUnknown* outer, REFIID iid, void** out) {
  return CreateComObject<ZKDocumentBlock>(outer, iid, out);
}

}  // namespace Server
