// Self-registration of the server per machine or per user.
#pragma once

#include <windows.h>

namespace Server {

HRESULT RegisterServer();
HRESULT UnregisterServer();
// DllInstall: a command line of exactly "user" (any case) selects per-user registration.
HRESULT InstallServer(bool install, const wchar_t* commandLine);

}  // namespace Server
