// ZKFixedPersoBlock: the Automation binding of the fixed personal block (0x0D02), read-only.
#include "model/fixed_perso_block_object.h"
#include "server/block_hand_over.h"
#include "server/classes.h"
#include "server/com_object.h"
#include "server/kavrin.h"
#include "server/property_binding.h"

namespace Server {

namespace {

class ZKFixedPersoBlock : public ComObject<IZKFixedPersoBlock, IID_IZKFixedPersoBlock, false> {
 public:
  using ComObject::ComObject;
  using Object = ZK::FixedPersoBlockObject;

  // Only this module's hand-over of a decoded block is accepted (see BlockHandOver).
  HRESULT STDMETHODCALLTYPE Load(VARIANT* data) override {
    const ZK::FixedPersoDataBlock* block = BlockHandOver::ForLoad<ZK::FixedPersoDataBlock>(data);
    if (block == nullptr) return E_INVALIDARG;
    return Guarded([&] { return object_.Load(block); });
  }

  KAVRIN_READONLY(Bstr, BSTR, InsurantNumber)
  KAVRIN_READONLY(Bstr, BSTR, LastName)
  KAVRIN_READONLY(Bstr, BSTR, LastNameLatin)
  KAVRIN_READONLY(Bstr, BSTR, FirstName)
  KAVRIN_READONLY(Bstr, BSTR, FirstNameLatin)
  KAVRIN_READONLY(Date, DATE, DateOfBirth)

 private:
  Object object_;
};

}  // namespace

HRESULT CreateZKFixedPersoBlock(IUnknown* outer, REFIID iid, void** out) {
  return CreateComObject<ZKFixedPersoBlock>(outer, iid, out);
}

}  // namespace Server
