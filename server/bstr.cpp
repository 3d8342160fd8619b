#include "server/bstr.h"

#include "server/wide.h"

namespace Server {

TAVQ::WString FromBstr(BSTR text) { return FromWide(text); }

HRESULT ToBstr(const TAVQ::WString& text, BSTR* out) {
  *out = nullptr;
  const std::size_t end = text.find(u'\0');
  const std::size_t length = end == TAVQ::WString::npos ? text.size() : end;
  if (length == 0) return S_OK;
  *out = SysAllocStringLen(AsWide(text), static_cast<UINT>(length));
  return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace Server
