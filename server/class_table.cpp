#include "server/class_table.h"

#include <mutex>
#include <new>

#include "server/class_factory.h"
#include "server/classes.h"
#include "server/kavrin.h"

namespace Server {

namespace {

#define KAVRIN_CLASS(script, coclass, progId, description, classId) \
  {&CLSID_##coclass, L"" progId ".1", L"" progId, L"" description, script, Create##coclass},
const ClassEntry kClasses[] = {
#include "server/classes.def"
};
#undef KAVRIN_CLASS
constexpr std::size_t kClassCount = sizeof(kClasses) / sizeof(kClasses[0]);

std::mutex classObjectMutex;
IClassFactory* classObjects[kClassCount] = {};

}  // namespace

const ClassEntry* Classes() { return kClasses; }
std::size_t ClassCount() { return kClassCount; }

HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** out) {
  for (std::size_t i = 0; i < kClassCount; ++i) {
    if (!IsEqualCLSID(classId, *kClasses[i].classId)) continue;
    IClassFactory* factory = nullptr;
    {
      std::lock_guard<std::mutex> lock(classObjectMutex);
      if (classObjects[i] == nullptr) {
        // Not cached when it cannot be made: the next request tries again.
        classObjects[i] = new (std::nothrow) ClassFactory(kClasses[i].create);
        if (classObjects[i] == nullptr) return E_OUTOFMEMORY;
      }
      factory = classObjects[i];
    }
    return factory->QueryInterface(iid, out);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

void ReleaseClassObjects() {
  std::lock_guard<std::mutex> lock(classObjectMutex);
  for (IClassFactory*& factory : classObjects) {
    if (factory != nullptr) factory->Release();
    factory = nullptr;
  }
}

}  // namespace Server
