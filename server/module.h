// Process-wide state of the COM server: the module handle, the lock count that
// DllCanUnloadNow reads, the per-user registration flag and the type library.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace Server {

HINSTANCE ModuleInstance();
bool ModuleInitialized();

// Live objects plus class-object locks.
void LockModule();
void UnlockModule();
long ModuleLockCount();

// Set by DllInstall("user"); never cleared while the DLL stays loaded.
bool PerUserRegistration();
void SetPerUserRegistration();

// Type information of one interface of the registered type library. The library
// is loaded on first use and kept for the module's life. S_OK or the load failure.
HRESULT GetInterfaceTypeInfo(REFIID iid, LCID locale, ITypeInfo** info);

}  // namespace Server
