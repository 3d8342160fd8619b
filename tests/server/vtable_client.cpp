// The COM server at the vtable level, loaded in-process under Wine. Modes: frame (the DLL
// registered), services (no card), install-failure (the DLL not registered). What scripts
// see (ProgIDs, property puts through IDispatch, error objects, reader lists) is checked
// by automation.vbs and the examples. Prints one line per failed check and "N passed, N failed".
#include <windows.h>
#include <objsafe.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>

#include "checks.h"
#include "server/kavrin.h"

using Checks::Check;
using Checks::CheckHr;

namespace {

bool IsPcscFailure(HRESULT hr) { return (static_cast<unsigned long>(hr) & 0xFFFF0000ul) == 0x80100000ul; }

const HRESULT kInvalidState = static_cast<HRESULT>(0x8007139F);

struct Dll {
  HRESULT(WINAPI* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT(WINAPI* canUnloadNow)() = nullptr;
  HRESULT(WINAPI* install)(BOOL, LPCWSTR) = nullptr;
};

template <class F>
void Entry(HMODULE module, const char* name, F& out) {
  out = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// An outer object for aggregation: counts references, delegates all but IUnknown.
class Outer : public IUnknown {
 public:
  IUnknown* inner = nullptr;
  LONG references = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!IsEqualIID(iid, IID_IUnknown)) return inner->QueryInterface(iid, out);
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
};

template <class Itf>
HRESULT Create(const Dll& dll, REFCLSID classId, REFIID iid, Itf** out, IUnknown* outer = nullptr) {
  IClassFactory* factory = nullptr;
  HRESULT hr = dll.getClassObject(classId, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(outer, iid, reinterpret_cast<void**>(out));
  factory->Release();
  return hr;
}

// The class's object as the given interface, its creation counted as one check.
template <class Itf>
Itf* Make(const Dll& dll, REFCLSID classId, REFIID iid, const char* what) {
  Itf* object = nullptr;
  CheckHr(Create(dll, classId, iid, &object), S_OK, what);
  return object;
}

bool Answers(IUnknown* object, REFIID iid) {
  IUnknown* answer = nullptr;
  if (FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&answer)))) return false;
  answer->Release();
  return true;
}

struct ClassCase {
  const CLSID* classId;
  const IID* interfaceId;
  bool errorInfo;
};

const ClassCase kClasses[] = {
    {&CLSID_DocReadService, &IID_IDocReadService, true},
    {&CLSID_SmartCardService, &IID_ISmartCardService, true},
    {&CLSID_UtilitiesService, &IID_IUtilitiesService, false},
    {&CLSID_ZKDocumentBlock, &IID_IZKDocumentBlock, false},
    {&CLSID_ZKFixedPersoBlock, &IID_IZKFixedPersoBlock, false},
    {&CLSID_ZKVariableAdminBlock, &IID_IZKVariableAdminBlock, false},
    {&CLSID_ZKVariablePersoBlock, &IID_IZKVariablePersoBlock, false},
};

const IID* const kOtherInterfaces[] = {&IID_IPersist, &IID_IClassFactory, &IID_IProvideClassInfo,
                                       &IID_IZKDocumentBlock, &IID_IDocReadService, &IID_IMarshal};

void TestEntryPoints(const Dll& dll) {
  CheckHr(dll.getClassObject(CLSID_UtilitiesService, IID_IClassFactory, nullptr), E_POINTER,
          "DllGetClassObject with a null out pointer");
  void* object = reinterpret_cast<void*>(1);
  CheckHr(dll.getClassObject(IID_IPersist, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE,
          "DllGetClassObject of an unknown class");
  Check(object == nullptr, "out pointer cleared for an unknown class");

  IClassFactory *first = nullptr, *second = nullptr;
  dll.getClassObject(CLSID_ZKDocumentBlock, IID_IClassFactory, reinterpret_cast<void**>(&first));
  dll.getClassObject(CLSID_ZKDocumentBlock, IID_IClassFactory, reinterpret_cast<void**>(&second));
  Check(first != nullptr && first == second, "one cached class object per class");
  CheckHr(first->CreateInstance(nullptr, IID_IZKDocumentBlock, nullptr), E_POINTER, "CreateInstance null out");

  // DllCanUnloadNow as S_OK/S_FALSE letters: idle, locked, unlocked, object alive, released.
  std::string unload;
  const auto sample = [&] { unload += dll.canUnloadNow() == S_OK ? 'Y' : 'N'; };
  sample();
  first->LockServer(TRUE);
  sample();
  first->LockServer(FALSE);
  sample();
  IUnknown* live = nullptr;
  first->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&live));
  sample();
  live->Release();
  sample();
  Check(unload == "YNYNY", "DllCanUnloadNow follows locks and live objects: " + unload);
  first->Release();
  second->Release();
}

void TestAggregation(const Dll& dll, const ClassCase& c) {
  Outer outer;
  void* out = reinterpret_cast<void*>(1);
  CheckHr(Create(dll, *c.classId, *c.interfaceId, &out, &outer), CLASS_E_NOAGGREGATION,
          "aggregation asking for anything but IUnknown");
  Check(out == nullptr, "out pointer cleared on CLASS_E_NOAGGREGATION");
  CheckHr(Create(dll, *c.classId, IID_IUnknown, &outer.inner, &outer), S_OK, "aggregated creation");
  if (outer.inner == nullptr) return;
  IDispatch* itf = nullptr;
  outer.inner->QueryInterface(*c.interfaceId, reinterpret_cast<void**>(&itf));
  Check(outer.references == 2, "an aggregated interface counts on the outer object", outer.references);
  IUnknown* identity = nullptr;
  itf->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
  Check(identity == &outer, "an aggregated object's identity is the outer object");
  identity->Release();
  itf->Release();
  Check(outer.inner->Release() == 0, "the inner unknown owns the aggregated object");
}

void TestInterfaces(IUnknown* object, const ClassCase& c) {
  bool others = false;
  for (const IID* other : kOtherInterfaces) others |= !IsEqualIID(*other, *c.interfaceId) && Answers(object, *other);
  Check(Answers(object, *c.interfaceId) && Answers(object, IID_IDispatch) && Answers(object, IID_IObjectSafety) &&
            Answers(object, IID_ISupportErrorInfo) == c.errorInfo && !others,
        "its interface, IDispatch, IObjectSafety, ISupportErrorInfo on the services only, nothing else");
  if (c.errorInfo) {
    ISupportErrorInfo* errorInfo = nullptr;
    object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&errorInfo));
    CheckHr(errorInfo->InterfaceSupportsErrorInfo(*c.interfaceId), S_OK, "error info for its interface");
    CheckHr(errorInfo->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE, "no error info for others");
    errorInfo->Release();
  }

  IDispatch* dispatch = nullptr;
  object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  UINT count = 0;
  dispatch->GetTypeInfoCount(&count);
  ITypeInfo* info = nullptr;
  Check(count == 1 && dispatch->GetTypeInfo(1, 0, &info) == DISP_E_BADINDEX &&
            dispatch->GetTypeInfo(0, 0, nullptr) == E_POINTER,
        "one type information; GetTypeInfo refuses index 1 and a null out");
  // Which interface it describes: TypeName in automation.vbs.
  CheckHr(dispatch->GetTypeInfo(0, 0, &info), S_OK, "GetTypeInfo(0) from the registered library");
  if (info != nullptr) info->Release();
  dispatch->Release();
}

void TestSafety(IUnknown* object, const ClassCase& c) {
  IObjectSafety* safety = nullptr;
  object->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety));
  DWORD supported = 9, enabled = 9;
  const HRESULT options = safety->GetInterfaceSafetyOptions(*c.interfaceId, &supported, &enabled);
  Check(options == S_OK && supported == 1 && enabled == 0, "GetInterfaceSafetyOptions: supported 1, enabled 0 at first");
  CheckHr(safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 1), S_OK, "SetInterfaceSafetyOptions mask 1");
  safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
  Check(enabled == 1, "enabled after mask 1", enabled);
  Check(safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, 3) == E_FAIL &&
            safety->SetInterfaceSafetyOptions(IID_IPersist, 1, 1) == E_NOINTERFACE &&
            safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled) == E_POINTER,
        "mask 3, an unknown interface and a null out refused");
  Check(safety->GetInterfaceSafetyOptions(IID_IPersist, &supported, &enabled) == E_NOINTERFACE && supported == 0 &&
            enabled == 0,
        "an unknown interface: E_NOINTERFACE, both outputs 0");
  safety->Release();
}

void TestClasses(const Dll& dll) {
  for (const ClassCase& c : kClasses) {
    IUnknown* object = Make<IUnknown>(dll, *c.classId, IID_IUnknown, "create");
    if (object == nullptr) continue;
    TestInterfaces(object, c);
    TestSafety(object, c);
    object->Release();
    TestAggregation(dll, c);
  }
}

// What only the binding does to a block: the hand-over, BSTR and LONG conversion (the
// property rules themselves are the model's unit tests', the VARIANT_BOOL flag and a
// DATE through IDispatch automation.vbs's).
void TestBlocks(const Dll& dll) {
  auto* perso = Make<IZKVariablePersoBlock>(dll, CLSID_ZKVariablePersoBlock, IID_IZKVariablePersoBlock, "create");
  auto* utilities = Make<IUtilitiesService>(dll, CLSID_UtilitiesService, IID_IUtilitiesService, "create Utilities");
  if (perso == nullptr || utilities == nullptr) return;
  VARIANT real;
  VariantInit(&real);
  // A VARIANT that is not a block's hand-over, or a pointer to nothing, is refused without being read.
  for (VARIANT* refused : {static_cast<VARIANT*>(nullptr), &real, reinterpret_cast<VARIANT*>(16)}) {
    CheckHr(perso->Load(refused), E_INVALIDARG, "Load of no block");
    if (refused != nullptr) CheckHr(perso->Store(refused), E_INVALIDARG, "Store into no block");
  }
  BSTR text = reinterpret_cast<BSTR>(1);
  LONG number = 7;
  perso->put_Permanent(5);
  Check(perso->get_CardID(nullptr) == E_INVALIDARG && perso->get_CardID(&text) == S_OK && text == nullptr,
        "a null result refused, an empty text is a null BSTR");
  Check(perso->get_Permanent(&number) == S_OK && number == 5, "a number put then got", number);
  perso->Release();

  CheckHr(utilities->GetErrorMessage(5, nullptr), E_POINTER, "GetErrorMessage null out");
  BSTR message = nullptr, system = nullptr;
  utilities->GetErrorMessage(0x7FFFFFF0, &message);
  utilities->GetErrorMessage(5, &system);
  Check(message != nullptr && std::wcscmp(message, L"An unrecognized Win32Exception was thrown.") == 0,
        "the string table's text for an undefined code");
  Check(SysStringLen(system) > 0 && std::wcschr(system, L'\n') == nullptr, "a Win32 code's text, on one line");
  SysFreeString(message);
  SysFreeString(system);
  utilities->Release();
}

// The thread's error object as "source|description" ("<none>"), marked for a wrong
// interface id; reading it clears it.
std::wstring TakeErrorInfo(const GUID& expectedInterface) {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || info == nullptr) return L"<none>";
  BSTR source = nullptr, description = nullptr;
  GUID guid{};
  info->GetSource(&source);
  info->GetDescription(&description);
  info->GetGUID(&guid);
  info->Release();
  std::wstring text = std::wstring(source ? source : L"") + L"|" + (description ? description : L"");
  SysFreeString(source);
  SysFreeString(description);
  return IsEqualGUID(guid, expectedInterface) ? text : text + L"|wrong interface id";
}

// The result and the error object of a call.
void CheckError(HRESULT got, HRESULT expected, const std::wstring& expectedInfo, const GUID& itf, const char* what) {
  CheckHr(got, expected, what);
  const std::wstring info = TakeErrorInfo(itf);
  if (info != expectedInfo) std::printf("  error object: %ls\n", info.c_str());
  Check(info == expectedInfo, what);
}

// Every card operation of a service without a card: refused, the result pointers set to null.
void CheckCardOperationsRefused(IDocReadService* s) {
  auto* document = reinterpret_cast<IZKDocumentBlock*>(1);
  auto* fixed = reinterpret_cast<IZKFixedPersoBlock*>(1);
  auto* admin = reinterpret_cast<IZKVariableAdminBlock*>(1);
  auto* perso = reinterpret_cast<IZKVariablePersoBlock*>(1);
  BSTR signers[4] = {reinterpret_cast<BSTR>(1), reinterpret_cast<BSTR>(1), reinterpret_cast<BSTR>(1),
                     reinterpret_cast<BSTR>(1)};
  const std::function<HRESULT()> calls[] = {
      [&] { return s->CheckCardOrigin(); }, [&] { return s->ReadZKDocumentData(&document); },
      [&] { return s->ReadZKFixedPersoData(&fixed); }, [&] { return s->ReadZKVariableAdminData(&admin); },
      [&] { return s->ReadZKVariablePersoData(&perso); }, [&] { return s->VerifyZKDocumentData(&signers[0]); },
      [&] { return s->VerifyZKFixedPersoData(&signers[1]); }, [&] { return s->VerifyZKVariableAdminData(&signers[2]); },
      [&] { return s->VerifyZKVariablePersoData(&signers[3]); }};
  for (const auto& call : calls) {
    CheckError(call(), kInvalidState, L"KAVRIN.HC.DocRead.1|InitCard call is required", IID_IDocReadService,
               "card operation before InitCard");
  }
  Check(!document && !fixed && !admin && !perso && !signers[0] && !signers[1] && !signers[2] && !signers[3],
        "no block object or certificate without a card");
}

// What the service does without a card is its unit tests'; here the binding's part.
void TestDocReadService(const Dll& dll) {
  auto* service = Make<IDocReadService>(dll, CLSID_DocReadService, IID_IDocReadService, "create DocReadService");
  if (service == nullptr) return;
  const wchar_t* missing = L"KAVRIN.HC.DocRead.1|Reader name is missing";
  // A null BSTR is an empty name (which the service refuses in its unit tests).
  CheckError(service->InitCard(nullptr, 1), E_INVALIDARG, missing, IID_IDocReadService, "InitCard with a null name");
  CheckError(service->InitCardVB(nullptr, -1), E_INVALIDARG, missing, IID_IDocReadService, "InitCardVB(null, -1)");
  CheckCardOperationsRefused(service);
  Check(service->ReleaseCard() == S_OK, "ReleaseCard without a card");
  Check(service->ReadZKDocumentData(nullptr) == E_POINTER && service->VerifyZKVariablePersoData(nullptr) == E_POINTER,
        "Read and Verify with a null result pointer");
  service->Release();
}

void TestSmartCardService(const Dll& dll) {
  auto* service = Make<ISmartCardService>(dll, CLSID_SmartCardService, IID_ISmartCardService, "create");
  if (service == nullptr) return;
  CheckError(service->SelectReader(nullptr), E_INVALIDARG, L"KAVRIN.HC.SmartCard.1|Reader name cannot be empty.",
             IID_ISmartCardService, "SelectReader(null)");
  CheckError(service->ListReaders(nullptr), E_INVALIDARG, L"KAVRIN.HC.SmartCard.1|Readers parameter cannot be null.",
             IID_ISmartCardService, "ListReaders(null)");
  // No PC/SC here: a failure (its code and error object are the examples' checks) and no value.
  VARIANT readers;
  VariantInit(&readers);
  Check(FAILED(service->ListReaders(&readers)) && readers.vt == VT_EMPTY, "no value after a failed ListReaders",
        readers.vt);
  // Nothing can be selected here: cancelled or a PC/SC failure, and the caller's value stays.
  BSTR name = SysAllocString(L"kept");
  BSTR before = name;
  const HRESULT selected = service->SelectReader(&name);
  Check(selected == HRESULT_FROM_WIN32(ERROR_CANCELLED) || IsPcscFailure(selected),
        "SelectReader is cancelled or fails with a PC/SC code", selected);
  Check(name == before && std::wcscmp(name, L"kept") == 0, "SelectReader leaves the caller's value");
  SysFreeString(name);
  service->Release();
}

// A volatile key cannot hold a non-volatile subkey, so registering the last class
// fails half-way; the suite then checks that DllInstall took back what it wrote.
void TestInstallFailure(const Dll& dll) {
  HKEY blocker = nullptr;
  RegCreateKeyExW(HKEY_CLASSES_ROOT, L"KAVRIN.HC.ZKVXPersoBlock.1", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                  nullptr, &blocker, nullptr);
  RegCloseKey(blocker);
  CheckHr(dll.install(TRUE, nullptr), HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE),
          "DllInstall returns the failing step's status");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::printf("usage: vtable_client <dll> frame|services|install-failure\n");
    return 2;
  }
  CoInitialize(nullptr);
  const HMODULE module = LoadLibraryW(argv[1]);
  if (module == nullptr) {
    std::printf("cannot load %ls: %lu\n", argv[1], GetLastError());
    return 2;
  }
  Dll dll;
  Entry(module, "DllGetClassObject", dll.getClassObject);
  Entry(module, "DllCanUnloadNow", dll.canUnloadNow);
  Entry(module, "DllInstall", dll.install);
  const std::wstring mode = argv[2];
  if (mode == L"frame") {
    TestEntryPoints(dll);
    TestClasses(dll);
    TestBlocks(dll);
  } else if (mode == L"services") {
    TestDocReadService(dll);
    TestSmartCardService(dll);
  } else if (mode == L"install-failure") {
    TestInstallFailure(dll);
  } else {
    std::printf("unknown mode\n");
    return 2;
  }
  return Checks::Report();
}
