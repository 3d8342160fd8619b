// Create functions of the served classes, one per binding file.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace Server {

#define KAVRIN_CLASS(script, coclass, progId, description, classId) \
  HRESULT Create##coclass(IUnknown* outer, REFIID iid, void** out);
#include "server/classes.def"
#undef KAVRIN_CLASS

}  // namespace Server
