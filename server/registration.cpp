#include "server/registration.h"

#include <oleauto.h>

#include <string>

#include "server/app_id.h"
#include "server/class_table.h"
#include "server/kavrin.h"
#include "server/module.h"
#include "server/registrar.h"
#include "server/wide.h"
#include "support/exception.h"

namespace Server {

namespace {

constexpr int kAppIdScript = 101;
constexpr DWORD kModulePathCapacity = 260;

// A failure of one registration step, carried as the HRESULT the entry point returns.
struct StepFailure {
  HRESULT status;
};

HRESULT HResultOf(const TAVQ::Win32Exception& e) {
  return e.errorCode > 0 ? HRESULT_FROM_WIN32(static_cast<DWORD>(e.errorCode)) : static_cast<HRESULT>(e.errorCode);
}

// Keeps the thread locale at the system default for one operation.
class SystemLocaleScope {
 public:
  SystemLocaleScope() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
  ~SystemLocaleScope() { SetThreadLocale(saved_); }
  SystemLocaleScope(const SystemLocaleScope&) = delete;
  SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

 private:
  LCID saved_;
};

std::wstring ModulePath() {
  wchar_t buffer[kModulePathCapacity];
  SetLastError(0);
  const DWORD length = GetModuleFileNameW(ModuleInstance(), buffer, kModulePathCapacity);
  if (length == 0) {
    const DWORD error = GetLastError();
    throw StepFailure{error == 0 ? E_FAIL : HRESULT_FROM_WIN32(error)};
  }
  // A path that fills the buffer may have been cut.
  if (length >= kModulePathCapacity) throw StepFailure{HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)};
  return std::wstring(buffer, length);
}

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring LoadScript(int id) {
  HRSRC resource = FindResourceW(ModuleInstance(), MAKEINTRESOURCEW(id), L"REGISTRY");
  if (resource == nullptr) throw StepFailure{HRESULT_FROM_WIN32(GetLastError())};
  HGLOBAL loaded = LoadResource(ModuleInstance(), resource);
  const DWORD size = SizeofResource(ModuleInstance(), resource);
  const char* bytes = loaded == nullptr ? nullptr : static_cast<const char*>(LockResource(loaded));
  if (bytes == nullptr) throw StepFailure{HRESULT_FROM_WIN32(GetLastError())};
  // The scripts are ASCII text.
  return std::wstring(bytes, bytes + size);
}

// Roots of the scripts: HKCR, or the current user's classes for per-user registration.
class ScriptRoot {
 public:
  ScriptRoot() {
    if (!PerUserRegistration()) {
      key_ = HKEY_CLASSES_ROOT;
      return;
    }
    const LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                                           KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
    if (status != ERROR_SUCCESS) throw StepFailure{HRESULT_FROM_WIN32(status)};
    owned_ = true;
  }
  ~ScriptRoot() {
    if (owned_) RegCloseKey(key_);
  }
  ScriptRoot(const ScriptRoot&) = delete;
  ScriptRoot& operator=(const ScriptRoot&) = delete;
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
  bool owned_ = false;
};

// The other architecture's build registers the same ProgIDs (shared between the
// 32- and 64-bit registry views) and its own class key in its own view.
bool ServedByOtherView(HKEY root, const ClassEntry& entry, const std::wstring& modulePath) {
#ifdef _WIN64
  const REGSAM otherView = KEY_WOW64_32KEY;
#else
  const REGSAM otherView = KEY_WOW64_64KEY;
#endif
  const std::wstring path = L"CLSID\\" + GuidText(*entry.classId) + L"\\InprocServer32";
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | otherView, &key) != ERROR_SUCCESS) return false;
  wchar_t server[1024] = {};
  DWORD bytes = sizeof(server) - sizeof(wchar_t);
  DWORD type = 0;
  const LSTATUS status = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(server), &bytes);
  RegCloseKey(key);
  // Without redirection both views are one key, which names this module.
  return status == ERROR_SUCCESS && type == REG_SZ && _wcsicmp(server, modulePath.c_str()) != 0;
}

void RunScript(int id, const ScriptRoot& root, RegistrarOptions options, bool registering) {
  options.roots[L"HKCR"] = root.Get();
  try {
    RunRegistrationScript(LoadScript(id), options, registering);
  } catch (const TAVQ::Win32Exception& e) {
    throw StepFailure{HResultOf(e)};
  } catch (const TAVQ::Exception&) {
    throw StepFailure{E_UNEXPECTED};
  }
}

void RunAppIdScript(const ScriptRoot& root, bool registering) {
  RegistrarOptions options;
  options.replacements[L"APPID"] = kAppId;
  RunScript(kAppIdScript, root, options, registering);
}

void RunClassScript(const ClassEntry& entry, const ScriptRoot& root, bool registering) {
  const std::wstring path = ModulePath();
  RegistrarOptions options;
  std::wstring quoted;
  for (wchar_t c : path) quoted += c == L'\'' ? std::wstring(L"''") : std::wstring(1, c);
  options.replacements[L"MODULE"] = quoted;
  if (!registering && ServedByOtherView(root.Get(), entry, path)) {
    const std::wstring progId = entry.progId;
    const std::wstring independent = entry.versionIndependentProgId;
    options.keep = [progId, independent](const std::wstring& key) { return key == progId || key == independent; };
  }
  RunScript(entry.registryScript, root, options, registering);
}

using RegisterForUser = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnregisterForUser = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

// An OLE Automation function that not every system (nor every import library) has.
template <class Function>
Function OleAutomationEntry(const char* name) {
  HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
  FARPROC entry = oleaut == nullptr ? nullptr : GetProcAddress(oleaut, name);
  return reinterpret_cast<Function>(reinterpret_cast<void*>(entry));
}

class TypeLibrary {
 public:
  TypeLibrary() {
    const std::wstring path = ModulePath();
    path_ = path;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library_);
    if (FAILED(hr)) {
      const std::size_t dot = path.find_last_of(L'.');
      const std::size_t slash = path.find_last_of(L"\\/");
      path_ = (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash) ? path.substr(0, dot) : path) +
              L".tlb";
      hr = LoadTypeLibEx(path_.c_str(), REGKIND_NONE, &library_);
    }
    if (FAILED(hr)) throw StepFailure{hr};
  }
  ~TypeLibrary() {
    if (library_ != nullptr) library_->Release();
  }
  TypeLibrary(const TypeLibrary&) = delete;
  TypeLibrary& operator=(const TypeLibrary&) = delete;

  void Register() {
    std::wstring helpDirectory = HelpDirectory();
    OLECHAR* help = helpDirectory.empty() ? nullptr : &helpDirectory[0];
    HRESULT hr;
    auto forUser = OleAutomationEntry<RegisterForUser>("RegisterTypeLibForUser");
    if (PerUserRegistration() && forUser != nullptr) {
      hr = forUser(library_, &path_[0], help);
    } else {
      hr = RegisterTypeLib(library_, &path_[0], help);
    }
    if (FAILED(hr)) throw StepFailure{hr};
  }

  void Unregister() {
    TLIBATTR* attributes = nullptr;
    HRESULT hr = library_->GetLibAttr(&attributes);
    if (FAILED(hr)) throw StepFailure{hr};
    const TLIBATTR copy = *attributes;
    library_->ReleaseTLibAttr(attributes);
    auto forUser = OleAutomationEntry<UnregisterForUser>("UnRegisterTypeLibForUser");
    if (PerUserRegistration() && forUser != nullptr) {
      hr = forUser(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
    } else {
      hr = UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
    }
    if (FAILED(hr)) throw StepFailure{hr};
  }

 private:
  // The directory of the library's help file, when it names one.
  std::wstring HelpDirectory() {
    BSTR helpFile = nullptr;
    if (FAILED(library_->GetDocumentation(-1, nullptr, nullptr, nullptr, &helpFile)) || helpFile == nullptr) {
      return std::wstring();
    }
    std::wstring file(helpFile, SysStringLen(helpFile));
    SysFreeString(helpFile);
    const std::size_t slash = file.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : file.substr(0, slash);
  }

  ITypeLib* library_ = nullptr;
  std::wstring path_;
};

}  // namespace

HRESULT RegisterServer() {
  SystemLocaleScope locale;
  try {
    ScriptRoot root;
    RunAppIdScript(root, true);
    for (std::size_t i = 0; i < ClassCount(); ++i) RunClassScript(Classes()[i], root, true);
    TypeLibrary().Register();
    return S_OK;
  } catch (const StepFailure& failure) {
    return failure.status;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT UnregisterServer() {
  SystemLocaleScope locale;
  try {
    ScriptRoot root;
    for (std::size_t i = 0; i < ClassCount(); ++i) RunClassScript(Classes()[i], root, false);
    TypeLibrary().Unregister();
    // The application id is shared with the other architecture's registration.
    bool shared = false;
    for (std::size_t i = 0; i < ClassCount(); ++i) shared = shared || ServedByOtherView(root.Get(), Classes()[i], ModulePath());
    if (!shared) RunAppIdScript(root, false);
    return S_OK;
  } catch (const StepFailure& failure) {
    return failure.status;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT InstallServer(bool install, const wchar_t* commandLine) {
  if (commandLine != nullptr && _wcsnicmp(commandLine, L"user", 5) == 0) SetPerUserRegistration();
  if (!install) return UnregisterServer();
  const HRESULT hr = RegisterServer();
  if (FAILED(hr)) UnregisterServer();  // undo what the failed registration made
  return hr;
}

}  // namespace Server
