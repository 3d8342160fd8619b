// The binding's methods with every allocation failing: each returns E_OUTOFMEMORY,
// none lets an exception out. Prints "N passed, N failed".
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <functional>
#include <utility>

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

  const std::pair<const char*, std::function<HRESULT()>> calls[] = {
      {"VerifyZKDocumentData(null)", [&] { return docRead->VerifyZKDocumentData(nullptr); }},
      {"VerifyZKVariablePersoData(null)", [&] { return docRead->VerifyZKVariablePersoData(nullptr); }},
      {"ReadZKDocumentData(null)", [&] { return docRead->ReadZKDocumentData(nullptr); }},
      {"ReadZKVariableAdminData(null)", [&] { return docRead->ReadZKVariableAdminData(nullptr); }},
      {"ListReaders(null)", [&] { return smartCard->ListReaders(nullptr); }},
  };
  for (const auto& [what, call] : calls) CheckHr(WithoutMemory(call), E_OUTOFMEMORY, what);
  // With memory again, the same path reports the null pointer.
  CheckHr(docRead->VerifyZKDocumentData(nullptr), E_POINTER, "VerifyZKDocumentData(null) with memory");

  docRead->Release();
  smartCard->Release();
  CoUninitialize();
  return Checks::Report();
}
