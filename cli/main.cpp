// kavrin-hc: command-line reader of health insurance cards.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/run.h"
#include "services/card_deadline.h"
#include "services/error_record.h"
#include "services/user_notifier.h"

int main(int argc, char** argv) {
  // The commands show every failure themselves, once, as text or JSON.
  TAVQ::InstallUserNotifier(&TAVQ::QuietUserNotifier());
  TAVQ::ThreadErrorRecordStore errorRecords;
  TAVQ::InstallErrorRecordStore(&errorRecords);

  int status = Cli::kExitFailure;
  try {
    status = Cli::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
  } catch (const std::exception& e) {
    // The services never throw; this is the output itself failing (out of memory).
    std::cerr << "kavrin-hc: " << e.what() << '\n';
  }
  if (TAVQ::CardDeadline::Abandoned() != 0) {
    // A card call is still blocked on another thread: end without tearing down under it.
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(status);
  }
  return status;
}
