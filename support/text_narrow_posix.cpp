// The narrow code page off Windows is UTF-8.
#include "support/text.h"

namespace TAVQ {

std::string ToNarrow(const WString& text) { return ToUtf8(text); }
WString FromNarrow(const std::string& text) { return FromUtf8(text); }

}  // namespace TAVQ
