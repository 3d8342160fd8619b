// The thread's COM error object: interface id, the ProgID registered for the class
// as source, the description.
#include <windows.h>
#include <oleauto.h>

#include <cstring>

#include "services/error_record.h"

namespace TAVQ {

namespace {

GUID ToGuid(const Guid& id) {
  static_assert(sizeof(GUID) == sizeof(Guid), "Guid must have the layout of GUID");
  GUID guid;
  std::memcpy(&guid, &id, sizeof guid);
  return guid;
}

class ComErrorObjectStore final : public ErrorRecordStore {
 public:
  bool Publish(const ServiceIdentity& reporter, const WString& description) noexcept override {
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create)) || create == nullptr) return false;
    create->SetGUID(ToGuid(reporter.interfaceId));
    LPOLESTR progId = nullptr;
    if (SUCCEEDED(ProgIDFromCLSID(ToGuid(reporter.classId), &progId)) && progId != nullptr) {
      create->SetSource(progId);
      CoTaskMemFree(progId);
    }
    create->SetDescription(const_cast<LPOLESTR>(reinterpret_cast<const wchar_t*>(description.c_str())));
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))) && info != nullptr) {
      SetErrorInfo(0, info);
      info->Release();
    }
    create->Release();
    return true;
  }
};

}  // namespace

ErrorRecordStore& PlatformErrorRecordStore() {
  static ComErrorObjectStore store;
  return store;
}

}  // namespace TAVQ
