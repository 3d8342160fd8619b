// The answers of the reader list and the error-message lookup as JSON documents, shared
// by kavrin-hc (--json, and its text form) and the browser host kavrin-hc-host.
#pragma once

#include <cstdint>

#include "cli/block_json.h"
#include "cli/exit_status.h"

namespace Cli {

struct Answer {
  Json json;  // the document, or {"error": {...}} when the call failed
  ExitStatus status;
};

// {"readers": ["name", ...]}.
Answer ReaderList();

// {"code": "0x…", "message": "…"}: the system's text for an error code.
Answer ErrorMessageOf(std::int32_t code);

}  // namespace Cli
