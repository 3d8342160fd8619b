// The bench's virtual card seen from a test: insert, remove, reset and inspect it
// through tools/bench/card (the test runs under tools/bench/with-bench).
#pragma once

#include <string>
#include <vector>

#include "support/types.h"

namespace Bench {

// Runs tools/bench/card with the arguments; a failure fails the calling test.
std::string Card(const std::string& arguments);
// Inserts the default card with the protocol ("T0"/"T1"), card ID and faults.
void Insert(const std::string& protocol, const std::string& cardId = "1",
            const std::vector<std::string>& faults = {});
void Remove();
void Reset();
TAVQ::WString Reader();
// Commands the card received since its insertion, in hex.
std::vector<std::string> Commands();

}  // namespace Bench
