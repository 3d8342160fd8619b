// The narrow code page on Windows is the ANSI code page (CP_ACP).
#include <windows.h>

#include "support/text.h"

namespace TAVQ {

std::string ToNarrow(const WString& text) {
  if (text.empty()) return std::string();
  const auto* wide = reinterpret_cast<const wchar_t*>(text.c_str());
  const int size = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string narrow(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, -1, &narrow[0], size, nullptr, nullptr);
  narrow.resize(narrow.find('\0'));
  return narrow;
}

WString FromNarrow(const std::string& text) {
  if (text.empty()) return WString();
  const int size = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 0) return WString();
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
  wide.resize(wide.find(L'\0'));
  return WString(wide.begin(), wide.end());
}

}  // namespace TAVQ
