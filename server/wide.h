// The one place where the system's UTF-16 strings meet the platform's wchar_t:
// both are 16-bit on Windows, so the conversion is a reinterpretation.
#pragma once

#include <cwchar>
#include <string>

#include "support/types.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be UTF-16 on this platform");

namespace Server {

inline const wchar_t* AsWide(const TAVQ::WString& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

inline TAVQ::WString FromWide(const wchar_t* text) {
  return text == nullptr ? TAVQ::WString() : TAVQ::WString(reinterpret_cast<const char16_t*>(text));
}

inline TAVQ::WString FromWide(const wchar_t* text, std::size_t length) {
  return TAVQ::WString(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace Server
