// Automation types over the block objects' plain properties: BSTR, DATE, LONG and
// VARIANT_BOOL on one side, wide strings, OLE dates, 32-bit numbers and bools on the
// other. A null result pointer is E_INVALIDARG, checked before anything else; no
// exception leaves a property method.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <new>

#include "server/bstr.h"
#include "support/system_time.h"
#include "support/types.h"

namespace Server {

template <class Work>
HRESULT Guarded(Work work) noexcept {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

template <class Object>
HRESULT GetBstr(const Object& object, HRESULT (Object::*getter)(TAVQ::WString*) const, BSTR* out) {
  if (out == nullptr) return E_INVALIDARG;
  return Guarded([&] {
    TAVQ::WString text;
    const HRESULT hr = (object.*getter)(&text);
    if (FAILED(hr)) return hr;
    return ToBstr(text, out);
  });
}

template <class Object>
HRESULT PutBstr(Object& object, HRESULT (Object::*setter)(const TAVQ::WString&), BSTR value) {
  return Guarded([&] { return (object.*setter)(FromBstr(value)); });
}

template <class Object>
HRESULT GetDate(const Object& object, HRESULT (Object::*getter)(TAVQ::OleDate*) const, DATE* out) {
  if (out == nullptr) return E_INVALIDARG;
  return Guarded([&] {
    TAVQ::OleDate date = 0;
    const HRESULT hr = (object.*getter)(&date);
    if (SUCCEEDED(hr)) *out = date;
    return hr;
  });
}

template <class Object>
HRESULT PutDate(Object& object, HRESULT (Object::*setter)(TAVQ::OleDate), DATE value) {
  return Guarded([&] { return (object.*setter)(value); });
}

template <class Object>
HRESULT GetLong(const Object& object, HRESULT (Object::*getter)(std::int32_t*) const, LONG* out) {
  if (out == nullptr) return E_INVALIDARG;
  return Guarded([&] {
    std::int32_t number = 0;
    const HRESULT hr = (object.*getter)(&number);
    if (SUCCEEDED(hr)) *out = number;
    return hr;
  });
}

template <class Object>
HRESULT PutLong(Object& object, HRESULT (Object::*setter)(std::int32_t), LONG value) {
  return Guarded([&] { return (object.*setter)(static_cast<std::int32_t>(value)); });
}

template <class Object>
HRESULT GetFlag(const Object& object, HRESULT (Object::*getter)(bool*) const, VARIANT_BOOL* out) {
  if (out == nullptr) return E_INVALIDARG;
  return Guarded([&] {
    bool flag = false;
    const HRESULT hr = (object.*getter)(&flag);
    if (SUCCEEDED(hr)) *out = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return hr;
  });
}

template <class Object>
HRESULT PutFlag(Object& object, HRESULT (Object::*setter)(bool), VARIANT_BOOL value) {
  return Guarded([&] { return (object.*setter)(value != 0); });
}

}  // namespace Server

// Property methods of a binding class whose plain object is the member object_ of type Object.
#define KAVRIN_GET(Kind, ComType, Name) \
  HRESULT STDMETHODCALLTYPE get_##Name(ComType* out) override { return Get##Kind(object_, &Object::get_##Name, out); }
#define KAVRIN_PUT(Kind, ComType, Name) \
  HRESULT STDMETHODCALLTYPE put_##Name(ComType value) override { return Put##Kind(object_, &Object::put_##Name, value); }
#define KAVRIN_READONLY(Kind, ComType, Name) KAVRIN_GET(Kind, ComType, Name)
#define KAVRIN_PROPERTY(Kind, ComType, Name) KAVRIN_GET(Kind, ComType, Name) KAVRIN_PUT(Kind, ComType, Name)
