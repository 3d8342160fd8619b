#include "cli/run.h"

#include <algorithm>
#include <optional>
#include <sstream>

#include "cli/card_reading.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "services/card_deadline.h"
#include "services/error_record.h"
#include "support/hresult.h"

namespace Cli {

namespace {

// What a command printed, kept until it is known to be whole.
struct CommandOutput {
  ExitStatus status;
  std::string out;
  std::string err;
};

ExitStatus Dispatch(const Options& options, std::ostream& out, std::ostream& err) {
  switch (options.command) {
    case Command::Readers: return ListReadersCommand(options, out, err);
    case Command::Select: return SelectReaderCommand(options, out, err);
    case Command::Read: return ReadCommand(options, out, err);
    case Command::Message: return MessageCommand(options, out, err);
    case Command::Help: out << UsageText(); return kExitSuccess;
  }
  return kExitFailure;
}

void ShowFailure(bool json, const Failure& failure, std::ostream& out, std::ostream& err) {
  if (json) {
    out << ErrorJson(failure).dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
  } else {
    err << "kavrin-hc: " << failure.message << " (" << HResultText(failure.status) << ")\n";
  }
}

// The commands that reach the PC/SC service run on a thread of their own, with their
// own error records, and print nothing until they are done.
ExitStatus RunWithinDeadline(const Options& options, std::ostream& out, std::ostream& err) {
  const auto deadline = TAVQ::CardDeadline::Seconds(options.timeoutSeconds);
  const std::optional<CommandOutput> done = deadline.Run<CommandOutput>([options] {
    TAVQ::ThreadErrorRecordStore records;
    TAVQ::ErrorRecordStore* previous = TAVQ::InstallErrorRecordStore(&records);
    std::ostringstream out;
    std::ostringstream err;
    const ExitStatus status = Dispatch(options, out, err);
    TAVQ::InstallErrorRecordStore(previous);
    return CommandOutput{status, out.str(), err.str()};
  });
  if (!done) {
    ShowFailure(options.json, {TAVQ::CardDeadline::kStatus, deadline.Message()}, out, err);
    return kExitFailure;
  }
  out << done->out;
  err << done->err;
  return done->status;
}

}  // namespace

ExitStatus Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  Options options;
  try {
    options = ParseOptions(arguments);
  } catch (const UsageError& e) {
    // --json anywhere asks for JSON, even on a line that cannot be understood otherwise.
    if (std::find(arguments.begin(), arguments.end(), "--json") != arguments.end()) {
      ShowFailure(true, {E_INVALIDARG, e.what()}, out, err);
    } else {
      err << "kavrin-hc: " << e.what() << "\n\n" << UsageText();
    }
    return kExitUsage;
  }
  if (options.command == Command::Help || options.command == Command::Message) return Dispatch(options, out, err);
  return RunWithinDeadline(options, out, err);
}

}  // namespace Cli
