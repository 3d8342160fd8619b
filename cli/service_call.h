// What a failed service call left behind, in the form the command line shows it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "support/hresult.h"

namespace Cli {

struct Failure {
  HRESULT status;
  std::string message;  // UTF-8
};

// "0x80004005".
std::string HResultText(HRESULT status);

// The code of an HRESULT text in exactly the form HResultText gives ("0x" and eight hex
// digits, either case); none for anything else.
std::optional<std::int32_t> ParseHResultText(const std::string& text);

// The failure of a call that returned status: the description of the error record
// the call left on this thread, or the system's text for the status when it left none.
Failure FailureOf(HRESULT status);

// Forgets this thread's error record before a call, so that FailureOf never shows a
// stale one.
void ClearErrorRecord();

}  // namespace Cli
