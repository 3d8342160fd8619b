// Classes whose binding is not part of this build yet: the class object exists,
// but no object of the class can be made.
#include "server/classes.h"

namespace Server {

HRESULT CreateDocReadService(IUnknown*, REFIID, void** out) { return out ? (*out = nullptr, CLASS_E_CLASSNOTAVAILABLE) : E_POINTER; }
HRESULT CreateSmartCardService(IUnknown*, REFIID, void** out) { return out ? (*out = nullptr, CLASS_E_CLASSNOTAVAILABLE) : E_POINTER; }

}  // namespace Server
