#include "cli/reader_choice.h"

#include <unistd.h>

#include <iostream>
#include <string>

#include "services/card_deadline.h"
#include "services/service_status.h"
#include "services/smart_card_service.h"
#include "support/text.h"

namespace Cli {

namespace {

// Off Windows the services ask the chooser; there the platform's dialog asks itself,
// and whether it found no card or was cancelled does not come back.
#ifdef _WIN32
constexpr bool kPlatformDialogAsks = true;
#else
constexpr bool kPlatformDialogAsks = false;
#endif

std::optional<std::size_t> AskOnTerminal(const TAVQ::StringList& readers, NoReader* why) {
  if (isatty(STDIN_FILENO) == 0 || isatty(STDERR_FILENO) == 0) {
    *why = NoReader::NoTerminal;
    return std::nullopt;
  }
  *why = NoReader::NoneChosen;
  // The user's time to answer is no card's silence.
  const TAVQ::CardDeadline::Pause pause;
  std::cerr << "Several readers hold a health card:\n";
  for (std::size_t i = 0; i < readers.size(); ++i) std::cerr << "  " << i + 1 << ") " << TAVQ::ToUtf8(readers[i]) << '\n';
  std::cerr << "Reader number (empty to cancel): " << std::flush;
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  const bool digits = !line.empty() && line.size() < 9 && line.find_first_not_of("0123456789") == std::string::npos;
  if (!digits) return std::nullopt;
  const unsigned long number = std::stoul(line);
  if (number == 0 || number > readers.size()) return std::nullopt;
  return static_cast<std::size_t>(number - 1);
}

}  // namespace

std::string NoReaderMessage(NoReader why) {
  switch (why) {
    case NoReader::NoHealthCard: return "No reader holds a health card.";
    case NoReader::NoTerminal:
      return "Several readers hold a health card and there is no terminal to ask which: name one with --reader.";
    case NoReader::NoneChosen: return "No reader was chosen.";
  }
  return {};
}

ReaderChoice ChooseReader(TAVQ::PCSC::PCSCContext* context) {
  TAVQ::CSmartCardService selection;
  NoReader why = kPlatformDialogAsks ? NoReader::NoneChosen : NoReader::NoHealthCard;
  selection.chooser = [&why](const TAVQ::StringList& readers) { return AskOnTerminal(readers, &why); };
  TAVQ::WString reader;
  ClearErrorRecord();
  const HRESULT status = context != nullptr ? selection.SelectReader(*context, &reader) : selection.SelectReader(&reader);
  if (!TAVQ::Failed(status)) return {reader, {0, {}}, kExitSuccess};
  if (status == TAVQ::kSelectionCancelled) return {std::nullopt, {status, NoReaderMessage(why)}, kExitNoReaderSelected};
  return {std::nullopt, FailureOf(status), kExitFailure};
}

}  // namespace Cli
