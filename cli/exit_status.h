// The exit statuses of kavrin-hc.
#pragma once

namespace Cli {

enum ExitStatus : int {
  kExitSuccess = 0,
  kExitFailure = 1,          // the command failed as a whole
  kExitUsage = 2,            // the command line cannot be understood
  kExitPartialFailure = 3,   // the card was read, but a block, a verification or the origin check failed
  kExitNoReaderSelected = 4  // no reader holds a health card, or the user chose none
};

}  // namespace Cli
