// kavrin-hc from its arguments to its exit status: the command line parsed, the
// command run within its deadline, and every failure shown once, as text or JSON.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/exit_status.h"

namespace Cli {

// The arguments after the program name, UTF-8.
ExitStatus Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace Cli
