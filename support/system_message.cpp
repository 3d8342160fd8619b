#include "support/system_message.h"

#include "support/exception.h"
#include "support/string_table.h"

namespace TAVQ {

WString RemoveLineBreaks(WString text) {
  for (std::size_t pos = text.find(u"\r\n"); pos != WString::npos; pos = text.find(u"\r\n", pos)) {
    text.erase(pos, 2);
  }
  return text;
}

WString SystemMessage(std::int32_t errorCode) {
  // The code's 32 bits are taken unsigned, so HRESULT-shaped PC/SC codes are found too.
  if (auto text = PlatformMessageText(static_cast<std::uint32_t>(errorCode))) {
    return RemoveLineBreaks(std::move(*text));
  }
  return LoadResourceString(IDS_UNRECOGNIZED_WIN32_EXCEPTION);
}

}  // namespace TAVQ
