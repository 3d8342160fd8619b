// BSTR at the COM boundary: a null BSTR is the empty string, and text ends at its
// first NUL character in both directions.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "support/types.h"

namespace Server {

TAVQ::WString FromBstr(BSTR text);

// A new BSTR for the text (a null BSTR for empty text) in *out; E_OUTOFMEMORY when
// it cannot be allocated.
HRESULT ToBstr(const TAVQ::WString& text, BSTR* out);

}  // namespace Server
