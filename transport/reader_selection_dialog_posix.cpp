// Without a platform dialog: the readers whose card passes CheckCard, one taken without
// asking under the minimal-UI flag, otherwise a choice on the terminal when one is
// attached. The platform knows no card type names, so cardNames filters nothing here.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/exception.h"
#include "support/text.h"
#include "transport/pcsc_comm.h"
#include "transport/reader_selection_dialog.h"

namespace TAVQ {
namespace PCSC {

namespace {

struct Candidate {
  WString reader;
  PCSCComm comm;  // held until the choice is made, left with SCARD_LEAVE_CARD
};

std::optional<std::size_t> AskOnTerminal(const WString& title, const WString& description,
                                         const StringList& readers) {
  if (isatty(STDIN_FILENO) == 0 || isatty(STDERR_FILENO) == 0) return std::nullopt;
  std::cerr << (title.empty() ? std::string("Select a card") : ToNarrow(title)) << '\n';
  if (!description.empty()) std::cerr << ToNarrow(description) << '\n';
  for (std::size_t i = 0; i < readers.size(); ++i) std::cerr << "  " << i + 1 << ") " << ToNarrow(readers[i]) << '\n';
  std::cerr << "Reader number (empty to cancel): " << std::flush;
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  try {
    std::size_t used = 0;
    const unsigned long number = std::stoul(line, &used);
    if (used != line.size() || number == 0 || number > readers.size()) return std::nullopt;
    return static_cast<std::size_t>(number - 1);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

void ReaderSelectionDialog::ShowPlatform() {
  StringList readers;
  try {
    readers = context.ListReaders();
  } catch (const Exception&) {
    return;  // a failed dialog chooses nothing
  }

  std::vector<Candidate> candidates;
  for (const WString& reader : readers) {
    Candidate candidate{reader, PCSCComm()};
    try {
      candidate.comm.Connect(context.handle(), reader, shareMode, preferredProtocols);
    } catch (const PCSCWin32Exception&) {
      continue;  // no card, or one that cannot be shared now
    }
    if (CheckTrampoline(*this, context.handle(), candidate.comm.cardHandle())) {
      candidates.push_back(std::move(candidate));
    }
  }
  if (candidates.empty()) return;

  StringList names;
  for (const Candidate& candidate : candidates) names.push_back(candidate.reader);
  std::optional<std::size_t> choice;
  if ((flags & kDialogMinimalUi) != 0 && candidates.size() == 1) {
    choice = 0;
  } else if (chooser) {
    choice = chooser(names);
  } else {
    choice = AskOnTerminal(title, searchDescription, names);
  }
  if (!choice || *choice >= candidates.size()) return;

  Candidate& chosen = candidates[*choice];
  const std::uint32_t protocol = chosen.comm.activeProtocol();
  chosen.comm.Disconnect(kLeaveCard);
  selectedReader = chosen.reader;
  selectedCard.clear();
  activeProtocol = protocol;
}

}  // namespace PCSC
}  // namespace TAVQ
