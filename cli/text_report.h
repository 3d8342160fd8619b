// The read report of `kavrin-hc read` as text for people: one "Name: value" line per
// property, blocks under their own headings.
#pragma once

#include <string>

#include "cli/block_json.h"

namespace Cli {

std::string TextReport(const Json& report);

}  // namespace Cli
