// `kavrin-hc read`: the card's four blocks, and on request their verification and the
// origin check, as one JSON report.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "card/trust_anchors.h"
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
  // The anchors every verified block's signer is checked against; none: the signers
  // are shown but not checked.
  std::shared_ptr<const TrustAnchors> trustAnchors;
};

struct ReadOutcome {
  // {"reader", "cardId", "document", "fixedPerso", "variableAdmin", "variablePerso",
  //  ["verification"], ["origin"]}, or {"error"} when nothing could be read. Each
  // verified block: {"signerCertificate", "signer": {"subject", "issuer", "notAfter",
  // "trusted"}}.
  Json report;
  ExitStatus status;
};

ReadOutcome ReadCard(const ReadRequest& request);

// {"error": {"hresult": "0x…", "message": "…"}}.
Json ErrorJson(const Failure& failure);

}  // namespace Cli
