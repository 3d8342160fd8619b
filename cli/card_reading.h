// `kavrin-hc read`: the card's four blocks, and on request their verification and the
// origin check, as one JSON report.
#pragma once

#include <cstdint>
#include <optional>

#include "cli/block_json.h"
#include "cli/exit_status.h"
#include "cli/service_call.h"
#include "support/types.h"

namespace Cli {

struct ReadRequest {
  std::optional<TAVQ::WString> reader;  // none: the reader that SelectReader gives
  std::uint16_t cardId = 0xFFFF;
  bool verify = false;
  bool checkOrigin = false;
};

struct ReadOutcome {
  // {"reader", "cardId", "document", "fixedPerso", "variableAdmin", "variablePerso",
  //  ["verification"], ["origin"]}, or {"error"} when nothing could be read.
  Json report;
  ExitStatus status;
};

ReadOutcome ReadCard(const ReadRequest& request);

// {"error": {"hresult": "0x…", "message": "…"}}.
Json ErrorJson(const Failure& failure);

}  // namespace Cli
