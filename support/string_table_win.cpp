// The string table of the module that holds this code: RT_STRING resources,
// blocks of 16 length-prefixed UTF-16 entries, in the thread's UI language with
// a fallback to the neutral language the table is stored in.
#include <windows.h>

#include <cstdarg>

#include "support/format.h"
#include "support/string_table.h"

namespace TAVQ {

namespace {

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// The resource block holding the id, as UTF-16 units; nullptr when absent.
const char16_t* FindBlock(HMODULE module, std::uint16_t id, std::uint16_t language, std::size_t* units) {
  HRSRC resource = FindResourceExW(module, MAKEINTRESOURCEW(6) /* RT_STRING */, MAKEINTRESOURCEW((id >> 4) + 1), language);
  if (resource == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(module, resource);
  if (loaded == nullptr) return nullptr;
  *units = SizeofResource(module, resource) / sizeof(char16_t);
  return static_cast<const char16_t*>(LockResource(loaded));
}

}  // namespace

WString LoadResourceString(std::uint16_t id, std::uint16_t language) {
  HMODULE module = ThisModule();
  std::size_t units = 0;
  const char16_t* block = FindBlock(module, id, language, &units);
  if (block == nullptr && language != kNeutralLanguage) block = FindBlock(module, id, kNeutralLanguage, &units);
  if (block == nullptr) return WString();

  std::size_t pos = 0;
  for (unsigned skip = id & 15; skip > 0; --skip) {
    if (pos >= units) return WString();
    pos += static_cast<std::size_t>(block[pos]) + 1;
  }
  if (pos >= units) return WString();
  const std::size_t length = block[pos];
  if (length == 0 || pos + 1 + length > units) return WString();
  return WString(block + pos + 1, length);
}

WString LoadResourceString(std::uint16_t id) { return LoadResourceString(id, GetThreadUILanguage()); }

WString LoadResourceFormat(unsigned int id, ...) {
  const WString format = LoadResourceString(static_cast<std::uint16_t>(id));
  if (format.empty()) return WString();
  va_list args;
  va_start(args, id);
  WString result = VFormatString(format.c_str(), args);
  va_end(args);
  return result;
}

}  // namespace TAVQ
