// The binding's methods with every allocation failing: each returns E_OUTOFMEMORY,
// none lets an exception out. Prints "N passed, N failed".
#include <windows.h>
#include <oleauto.h>

#include <cstdio>

#include "checks.h"
#include "fakes/failing_allocation.h"
#include "server/classes.h"
#include "server/kavrin.h"
#include "services/user_notifier.h"

using Checks::CheckHr;

namespace {

template <class Call>
HRESULT WithoutMemory(Call call) {
  try {
    Fakes::FailingAllocation noMemory;
    return call();
  } catch (...) {
    return E_ABORT;  // an exception left the COM method
  }
}

template <class Itf>
Itf* Create(HRESULT (*create)(IUnknown*, REFIID, void**), REFIID iid) {
  void* object = nullptr;
  if (FAILED(create(nullptr, iid, &object))) return nullptr;
  return static_cast<Itf*>(object);
}

}  // namespace

int wmain() {
  CoInitialize(nullptr);
  TAVQ::InstallUserNotifier(&TAVQ::QuietUserNotifier());
  IDocReadService* docRead = Create<IDocReadService>(&Server::CreateDocReadService, IID_IDocReadService);
  ISmartCardService* smartCard = Create<ISmartCardService>(&Server::CreateSmartCardService, IID_ISmartCardService);
  if (docRead == nullptr || smartCard == nullptr) {
    std::printf("cannot create the services\n");
    return 2;
  }

  CheckHr(WithoutMemory([&] { return docRead->VerifyZKDocumentData(nullptr); }), E_OUTOFMEMORY,
          "VerifyZKDocumentData(null)");
  CheckHr(WithoutMemory([&] { return docRead->VerifyZKVariablePersoData(nullptr); }), E_OUTOFMEMORY,
          "VerifyZKVariablePersoData(null)");
  CheckHr(WithoutMemory([&] { return docRead->ReadZKDocumentData(nullptr); }), E_OUTOFMEMORY,
          "ReadZKDocumentData(null)");
  CheckHr(WithoutMemory([&] { return docRead->ReadZKVariableAdminData(nullptr); }), E_OUTOFMEMORY,
          "ReadZKVariableAdminData(null)");
  CheckHr(WithoutMemory([&] { return smartCard->ListReaders(nullptr); }), E_OUTOFMEMORY, "ListReaders(null)");
  // With memory again, the same path reports the null pointer.
  CheckHr(docRead->VerifyZKDocumentData(nullptr), E_POINTER, "VerifyZKDocumentData(null) with memory");

  docRead->Release();
  smartCard->Release();
  CoUninitialize();
  return Checks::Report();
}
