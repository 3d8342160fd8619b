#include "cli/service_call.h"

#include <cstdio>

#include "support/text.h"
#include "services/error_record.h"
#include "support/exception.h"

namespace Cli {

std::string HResultText(HRESULT status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
  return text;
}

std::optional<std::int32_t> ParseHResultText(const std::string& text) {
  if (text.size() != 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return std::nullopt;
  std::uint32_t code = 0;
  for (std::size_t i = 2; i < text.size(); ++i) {
    const char c = text[i];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return std::nullopt;
    code = code << 4 | static_cast<std::uint32_t>(digit);
  }
  return static_cast<std::int32_t>(code);
}

Failure FailureOf(HRESULT status) {
  if (auto record = TAVQ::ThreadErrorRecordStore::Current()) return {status, TAVQ::ToUtf8(record->description)};
  return {status, TAVQ::ToUtf8(TAVQ::SystemMessage(status))};
}

void ClearErrorRecord() { TAVQ::ThreadErrorRecordStore::Clear(); }

}  // namespace Cli
