// The four commands of kavrin-hc. Each writes its result to out (JSON or text) and
// a failure to out as JSON or to err as text, and returns the exit status.
#pragma once

#include <ostream>

#include "cli/exit_status.h"
#include "cli/options.h"

namespace Cli {

ExitStatus ListReadersCommand(const Options& options, std::ostream& out, std::ostream& err);
ExitStatus SelectReaderCommand(const Options& options, std::ostream& out, std::ostream& err);
ExitStatus ReadCommand(const Options& options, std::ostream& out, std::ostream& err);
ExitStatus MessageCommand(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace Cli
