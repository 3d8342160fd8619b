// A standard class factory over one create function.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>

#include "server/class_table.h"

namespace Server {

class ClassFactory : public IClassFactory {
 public:
  explicit ClassFactory(CreateFunction create) : create_(create) {}
  virtual ~ClassFactory() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  CreateFunction create_;
  std::atomic<ULONG> references_{1};
};

}  // namespace Server
