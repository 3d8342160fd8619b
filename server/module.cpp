#include "server/module.h"

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

#include "server/class_table.h"
#include "server/kavrin.h"
#include "server/module_init.h"

namespace Server {

namespace {

HINSTANCE instance = nullptr;
bool initialized = false;
std::atomic<long> lockCount{0};
std::atomic<bool> perUser{false};

// The type library and the type information handed out from it; filled on first
// use, released only when the DLL is unloaded by FreeLibrary.
std::mutex typeLibraryMutex;
ITypeLib* typeLibrary = nullptr;
struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof(GUID)) < 0; }
};
std::map<GUID, ITypeInfo*, GuidLess> typeInfos;

void ReleaseTypeLibrary() {
  for (auto& entry : typeInfos) entry.second->Release();
  typeInfos.clear();
  if (typeLibrary != nullptr) typeLibrary->Release();
  typeLibrary = nullptr;
}

}  // namespace

HINSTANCE ModuleInstance() { return instance; }
bool ModuleInitialized() { return initialized; }

void LockModule() { ++lockCount; }
void UnlockModule() { --lockCount; }
long ModuleLockCount() { return lockCount.load(); }

bool PerUserRegistration() { return perUser.load(); }
void SetPerUserRegistration() { perUser = true; }

HRESULT GetInterfaceTypeInfo(REFIID iid, LCID locale, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  std::lock_guard<std::mutex> lock(typeLibraryMutex);
  if (typeLibrary == nullptr) {
    const HRESULT hr = LoadRegTypeLib(LIBID_kavrinLib, 1, 0, locale, &typeLibrary);
    if (FAILED(hr)) {
      typeLibrary = nullptr;
      return hr;
    }
  }
  auto found = typeInfos.find(iid);
  if (found == typeInfos.end()) {
    ITypeInfo* loaded = nullptr;
    const HRESULT hr = typeLibrary->GetTypeInfoOfGuid(iid, &loaded);
    if (FAILED(hr)) return hr;
    found = typeInfos.emplace(iid, loaded).first;
  }
  found->second->AddRef();
  *info = found->second;
  return S_OK;
}

}  // namespace Server

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    Server::instance = instance;
    DisableThreadLibraryCalls(instance);
    Server::initialized = Server::InitializeModuleState();
    return Server::initialized ? TRUE : FALSE;
  }
  // At process exit (reserved set) other DLLs may already be gone: leave the objects.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    Server::ReleaseClassObjects();
    Server::ReleaseTypeLibrary();
  }
  return TRUE;
}
