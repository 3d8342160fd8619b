// The platform's message text for an error code (FormatMessageW on Windows).
#pragma once

#include <cstdint>
#include <optional>

#include "support/types.h"

namespace TAVQ {

// The raw text the platform has for the code, or nothing.
std::optional<WString> PlatformMessageText(std::uint32_t code);

// Removes every "\r\n" pair anywhere in the text.
WString RemoveLineBreaks(WString text);

}  // namespace TAVQ
