// The served classes, in registration order, and their cached class objects.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>

namespace Server {

using CreateFunction = HRESULT (*)(IUnknown* outer, REFIID iid, void** out);

struct ClassEntry {
  const CLSID* classId;
  const wchar_t* progId;                 // version-dependent
  const wchar_t* versionIndependentProgId;
  const wchar_t* description;
  int registryScript;                    // resource id of the class's registration script
  CreateFunction create;
};

// The class table; ClassCount() rows.
const ClassEntry* Classes();
std::size_t ClassCount();

// The class object of a served class, created once under a lock and cached.
HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** out);

// Releases the cached class objects (module unload).
void ReleaseClassObjects();

}  // namespace Server
