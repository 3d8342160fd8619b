// The behaviour every object of the server shares: identity and aggregation
// (a non-delegating inner IUnknown), IDispatch over the registered type library,
// IObjectSafety, and ISupportErrorInfo for the classes that report errors.
#pragma once

#include <windows.h>
#include <objsafe.h>
#include <oaidl.h>

#include <atomic>
#include <new>

#include "server/module.h"

namespace Server {

template <class Itf, const IID& kItfId, bool kErrorInfo>
class ComObject : public Itf, public IObjectSafety, public ISupportErrorInfo {
 public:
  // outer: the controlling unknown of an aggregate, or null.
  explicit ComObject(IUnknown* outer) : inner_(this), outer_(outer != nullptr ? outer : &inner_) { LockModule(); }
  virtual ~ComObject() { UnlockModule(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  // The object's own identity; the outer object of an aggregate holds this one.
  IUnknown* Inner() { return &inner_; }

  // IUnknown of every interface delegates to the controlling unknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override { return outer_->QueryInterface(iid, out); }
  ULONG STDMETHODCALLTYPE AddRef() override { return outer_->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return outer_->Release(); }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return GetInterfaceTypeInfo(kItfId, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT hr = GetInterfaceTypeInfo(kItfId, locale, &info);
    if (FAILED(hr)) return hr;
    hr = DispGetIDsOfNames(info, names, count, ids);
    info->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT hr = GetInterfaceTypeInfo(kItfId, locale, &info);
    if (FAILED(hr)) return hr;
    // A class without error descriptions must not pass on a stale one of the thread.
    if (!kErrorInfo) SetErrorInfo(0, nullptr);
    hr = info->Invoke(static_cast<Itf*>(this), id, flags, params, result, exception, argError);
    info->Release();
    return hr;
  }

  // IObjectSafety: scripting hosts are always allowed; only the "safe for untrusted
  // callers" option exists.
  HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override {
    if (supported == nullptr || enabled == nullptr) return E_POINTER;
    IUnknown* answered = nullptr;
    const HRESULT hr = QueryOwnInterface(iid, reinterpret_cast<void**>(&answered));
    if (FAILED(hr)) {
      *supported = 0;
      *enabled = 0;
      return hr;
    }
    answered->Release();
    *supported = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
    *enabled = safetyOptions_;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override {
    IUnknown* answered = nullptr;
    if (FAILED(QueryOwnInterface(iid, reinterpret_cast<void**>(&answered)))) return E_NOINTERFACE;
    answered->Release();
    if ((mask & ~DWORD{INTERFACESAFE_FOR_UNTRUSTED_CALLER}) != 0) return E_FAIL;
    safetyOptions_ = (safetyOptions_ & ~mask) | (mask & enabled);
    return S_OK;
  }

  // ISupportErrorInfo (answered only by classes that report errors).
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return IsEqualIID(iid, kItfId) ? S_OK : S_FALSE;
  }

 private:
  HRESULT QueryOwnInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown)) {
      *out = &inner_;
    } else if (IsEqualIID(iid, kItfId) || IsEqualIID(iid, IID_IDispatch)) {
      *out = static_cast<Itf*>(this);
    } else if (IsEqualIID(iid, IID_IObjectSafety)) {
      *out = static_cast<IObjectSafety*>(this);
    } else if (kErrorInfo && IsEqualIID(iid, IID_ISupportErrorInfo)) {
      *out = static_cast<ISupportErrorInfo*>(this);
    } else {
      return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
  }

  // The non-delegating IUnknown: the object's identity and its reference count.
  class InnerUnknown : public IUnknown {
   public:
    explicit InnerUnknown(ComObject* owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
      return owner_->QueryOwnInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
      const ULONG left = --references_;
      if (left == 0) delete owner_;
      return left;
    }

   private:
    ComObject* owner_;
    std::atomic<ULONG> references_{0};
  };

  InnerUnknown inner_;
  IUnknown* outer_;
  DWORD safetyOptions_ = 0;
};

// Creates an object of class T for a class factory: aggregation allows IUnknown only.
template <class T>
HRESULT CreateComObject(IUnknown* outer, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  T* object = nullptr;
  try {
    object = new T(outer);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
  IUnknown* inner = object->Inner();
  inner->AddRef();
  const HRESULT hr = inner->QueryInterface(iid, out);
  inner->Release();  // destroys the object when the query failed
  return hr;
}

}  // namespace Server
