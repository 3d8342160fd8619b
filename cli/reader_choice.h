// Which reader kavrin-hc reads when none is named: the one that holds a health card,
// asked on the terminal when several do. When none comes out, the failure says why:
// no reader held a health card, or the user chose none.
#pragma once

#include <optional>

#include "cli/exit_status.h"
#include "cli/service_call.h"
#include "support/types.h"
#include "transport/pcsc_context.h"

namespace Cli {

struct ReaderChoice {
  std::optional<TAVQ::WString> reader;
  Failure failure{0, {}};  // when there is no reader
  ExitStatus status = kExitSuccess;
};

// On the caller's PC/SC context when it gives one, else on one of its own.
ReaderChoice ChooseReader(TAVQ::PCSC::PCSCContext* context = nullptr);

// Why a selection gave no reader.
enum class NoReader {
  NoHealthCard,  // no reader holds one
  NoTerminal,    // several do, and there is nobody to ask
  NoneChosen     // the user (or the platform's dialog) chose none
};
std::string NoReaderMessage(NoReader why);

}  // namespace Cli
