// printf-style formatting into strings of exact size, with the Windows C runtime's
// meaning of the string conversions on every platform: in a wide format %s is wide
// text and %S or %hs narrow; in a narrow format %s is narrow and %S or %ls wide.
// Wide arguments are const char16_t*, narrow ones const char* (UTF-8 off Windows).
#pragma once

#include <cstdarg>
#include <string>

#include "support/types.h"

namespace TAVQ {

// A null format, a formatting error or an empty result give the empty string.
WString FormatString(const char16_t* format, ...);
std::string FormatString(const char* format, ...);

WString VFormatString(const char16_t* format, va_list args);
std::string VFormatString(const char* format, va_list args);

}  // namespace TAVQ
