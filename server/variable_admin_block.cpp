// ZKVariableAdminBlock: the Automation binding of the variable administrative block (0x0D04).
#include "model/variable_admin_block_object.h"
#include "server/block_hand_over.h"
#include "server/classes.h"
#include "server/com_object.h"
#include "server/kavrin.h"
#include "server/property_binding.h"

namespace Server {

namespace {

class ZKVariableAdminBlock : public ComObject<IZKVariableAdminBlock, IID_IZKVariableAdminBlock, false> {
 public:
  using ComObject::ComObject;
  using Object = ZK::VariableAdminBlockObject;

  // Only this module's hand-over of a decoded block is accepted (see BlockHandOver).
  HRESULT STDMETHODCALLTYPE Load(VARIANT* data) override {
    const ZK::VariableAdminDataBlock* block = BlockHandOver::ForLoad<ZK::VariableAdminDataBlock>(data);
    if (block == nullptr) return E_INVALIDARG;
    return Guarded([&] { return object_.Load(block); });
  }

  HRESULT STDMETHODCALLTYPE Store(VARIANT* data) override {
    ZK::VariableAdminDataBlock* block = BlockHandOver::ForStore<ZK::VariableAdminDataBlock>(data);
    if (block == nullptr) return E_INVALIDARG;
    return Guarded([&] { return object_.Store(block); });
  }

  KAVRIN_PROPERTY(Bstr, BSTR, CardID)
  KAVRIN_PROPERTY(Bstr, BSTR, ParentName)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, ParentNameSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, ParentNameLatin)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, ParentNameLatinSpecified)
  KAVRIN_PROPERTY(Long, LONG, Gender)
  KAVRIN_PROPERTY(Bstr, BSTR, IDNumber)
  KAVRIN_PROPERTY(Bstr, BSTR, Street)
  KAVRIN_PROPERTY(Bstr, BSTR, PostNumber)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, PostNumberSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, Municipality)
  KAVRIN_PROPERTY(Bstr, BSTR, Place)
  KAVRIN_PROPERTY(Bstr, BSTR, StreetCode)
  KAVRIN_PROPERTY(Bstr, BSTR, Number)
  KAVRIN_PROPERTY(Bstr, BSTR, Entrance)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, EntranceSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, Apartment)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, ApartmentSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, RZZOUserRegistrationNumber)
  KAVRIN_PROPERTY(Bstr, BSTR, InsuranceBasisRZZOCode)
  KAVRIN_PROPERTY(Bstr, BSTR, InsuranceBasisRZZO)
  KAVRIN_PROPERTY(Bstr, BSTR, CarrierRelationship)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, CarrierRelationshipSpecified)
  KAVRIN_PROPERTY(Long, LONG, CarrierFamilyMember)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, CarrierFamilyMemberSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, CarrierIdNumber)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, CarrierIdNumberSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, CarrierInsurantNumber)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, CarrierInsurantNumberSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, CarrierLastName)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, CarrierLastNameSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, CarrierLastNameLatin)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, CarrierLastNameLatinSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, CarrierFirstName)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, CarrierFirstNameSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, CarrierFirstNameLatin)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, CarrierFirstNameLatinSpecified)
  KAVRIN_PROPERTY(Date, DATE, InsuredFrom)
  KAVRIN_PROPERTY(Bstr, BSTR, CountryCode)
  KAVRIN_PROPERTY(Bstr, BSTR, Country)
  KAVRIN_PROPERTY(Bstr, BSTR, BookletIssuerCode)
  KAVRIN_PROPERTY(Bstr, BSTR, InsurerBranch)
  KAVRIN_PROPERTY(Bstr, BSTR, InsurerOffice)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, InsurerOfficeSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, TaxpayerName)
  KAVRIN_PROPERTY(Bstr, BSTR, TaxpayerResidence)
  KAVRIN_PROPERTY(Bstr, BSTR, TaxpayerNumber)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, TaxpayerNumberSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, TaxpayerIdNumber)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, TaxpayerIdNumberSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, TaxpayerActivityCode)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, TaxpayerActivityCodeSpecified)
  KAVRIN_PROPERTY(Bstr, BSTR, ParticipationFreeBecause)
  KAVRIN_PROPERTY(Flag, VARIANT_BOOL, ParticipationFreeBecauseSpecified)

 private:
  Object object_;
};

}  // namespace

HRESULT CreateZKVariableAdminBlock(IUnknown* outer, REFIID iid, void** out) {
  return CreateComObject<ZKVariableAdminBlock>(outer, iid, out);
}

}  // namespace Server
