// UTF-8 at the command line's edges, whatever the platform's narrow code page.
#pragma once

#include <string>

#include "support/types.h"

namespace Cli {

// Lone surrogates become U+FFFD.
std::string ToUtf8(const TAVQ::WString& text);
// Invalid sequences become U+FFFD.
TAVQ::WString FromUtf8(const std::string& text);

}  // namespace Cli
