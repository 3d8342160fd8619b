// The exported entry points of the DLL (undecorated through the .def file).
#include <windows.h>

#include "server/class_table.h"
#include "server/module.h"
#include "server/registration.h"

extern "C" {

HRESULT WINAPI DllGetClassObject(REFCLSID classId, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!Server::ModuleInitialized()) return E_UNEXPECTED;
  return Server::GetClassObject(classId, iid, out);
}

HRESULT WINAPI DllCanUnloadNow() { return Server::ModuleLockCount() == 0 ? S_OK : S_FALSE; }

HRESULT WINAPI DllRegisterServer() { return Server::RegisterServer(); }

HRESULT WINAPI DllUnregisterServer() { return Server::UnregisterServer(); }

HRESULT WINAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  return Server::InstallServer(install != FALSE, commandLine);
}

}  // extern "C"
