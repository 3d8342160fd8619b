// The system's message table through FormatMessageW, in the user's default language.
#include <windows.h>

#include "support/system_message.h"

namespace TAVQ {

std::optional<WString> PlatformMessageText(std::uint32_t code) {
  constexpr DWORD kFlags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
  static_assert(kFlags == 0x1300, "flags of the system message lookup");
  constexpr DWORD kUserDefaultLanguage = 0x0400;
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(kFlags, nullptr, code, kUserDefaultLanguage, reinterpret_cast<LPWSTR>(&buffer),
                                      0, nullptr);
  if (length == 0 || buffer == nullptr) {
    if (buffer != nullptr) LocalFree(buffer);
    return std::nullopt;
  }
  WString text(reinterpret_cast<const char16_t*>(buffer), length);
  LocalFree(buffer);
  return text;
}

}  // namespace TAVQ
