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

Failure FailureOf(HRESULT status) {
  if (auto record = TAVQ::ThreadErrorRecordStore::Current()) return {status, TAVQ::ToUtf8(record->description)};
  return {status, TAVQ::ToUtf8(TAVQ::SystemMessage(status))};
}

void ClearErrorRecord() { TAVQ::ThreadErrorRecordStore::Clear(); }

}  // namespace Cli
