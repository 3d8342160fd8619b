// kavrin-hc: command-line reader of health insurance cards.
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/options.h"
#ifdef _WIN32
#include "cli/windows_console.h"
#endif
#include "services/error_record.h"
#include "services/user_notifier.h"

namespace {

int Run(const std::vector<std::string>& arguments) {
  // The commands show every failure themselves, once, as text or JSON.
  TAVQ::InstallUserNotifier(&TAVQ::QuietUserNotifier());
  TAVQ::ThreadErrorRecordStore errorRecords;
  TAVQ::InstallErrorRecordStore(&errorRecords);

  Cli::Options options;
  try {
    options = Cli::ParseOptions(arguments);
  } catch (const Cli::UsageError& e) {
    std::cerr << "kavrin-hc: " << e.what() << "\n\n" << Cli::UsageText();
    return Cli::kExitUsage;
  }

  try {
    switch (options.command) {
      case Cli::Command::Readers: return Cli::ListReadersCommand(options, std::cout, std::cerr);
      case Cli::Command::Select: return Cli::SelectReaderCommand(options, std::cout, std::cerr);
      case Cli::Command::Read: return Cli::ReadCommand(options, std::cout, std::cerr);
      case Cli::Command::Message: return Cli::MessageCommand(options, std::cout, std::cerr);
      case Cli::Command::Help: std::cout << Cli::UsageText(); return Cli::kExitSuccess;
    }
  } catch (const std::exception& e) {
    // The services never throw; this is the output itself failing (out of memory).
    std::cerr << "kavrin-hc: " << e.what() << '\n';
  }
  return Cli::kExitFailure;
}

}  // namespace

#ifdef _WIN32
// wmain (MinGW: -municode): the arguments in UTF-16, whatever the code pages.
int wmain(int argc, wchar_t** argv) {
  Cli::WindowsConsoleOutput console;
  return Run(Cli::Utf8Arguments(argc, argv));
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
