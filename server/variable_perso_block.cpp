// ZKVariablePersoBlock: the Automation binding of the variable personal block (0x0D03).
#include "model/variable_perso_block_object.h"
#include "server/block_hand_over.h"
#include "server/classes.h"
#include "server/com_object.h"
#include "server/kavrin.h"
#include "server/property_binding.h"

namespace Server {

namespace {

class ZKVariablePersoBlock : public ComObject<IZKVariablePersoBlock, IID_IZKVariablePersoBlock, false> {
 public:
  using ComObject::ComObject;
  using Object = ZK::VariablePersoBlockObject;

  // Only this module's hand-over of a decoded block is accepted (see BlockHandOver).
  HRESULT STDMETHODCALLTYPE Load(VARIANT* data) override {
    const ZK::VariablePersoDataBlock* block = BlockHandOver::ForLoad<ZK::VariablePersoDataBlock>(data);
    if (block == nullptr) return E_INVALIDARG;
    return Guarded([&] { return object_.Load(block); });
  }

  HRESULT STDMETHODCALLTYPE Store(VARIANT* data) override {
    ZK::VariablePersoDataBlock* block = BlockHandOver::ForStore<ZK::VariablePersoDataBlock>(data);
    if (block == nullptr) return E_INVALIDARG;
    return Guarded([&] { return object_.Store(block); });
  }

  KAVRIN_PROPERTY(Bstr, BSTR, CardID)
  KAVRIN_PROPERTY(Date, DATE, DateOfIssue)
  KAVRIN_PROPERTY(Date, DATE, DateOfExpiry)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, DateOfExpirySpecified)
  KAVRIN_PROPERTY(Long, LONG, Permanent)

 private:
  Object object_;
};

}  // namespace

HRESULT CreateZKVariablePersoBlock(IUnknown* outer, REFIID iid, void** out) {
  return CreateComObject<ZKVariablePersoBlock>(outer, iid, out);
}

}  // namespace Server
