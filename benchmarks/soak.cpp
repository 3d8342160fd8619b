// Soak: N whole sessions (open, four blocks, four verifications, origin check) in one
// process against the card in READER, printing the process's resident memory and open
// descriptors after 1, 10, 100 and N sessions. Flat figures mean nothing piles up.
//
//   kavrin_soak N READER
#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <string>

#include "cli/card_reading.h"
#include "services/error_record.h"
#include "services/user_notifier.h"
#include "support/text.h"

namespace {

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

int OpenDescriptors() {
  DIR* folder = opendir("/proc/self/fd");
  if (folder == nullptr) return -1;
  int count = 0;
  while (const dirent* entry = readdir(folder)) count += entry->d_name[0] != '.' ? 1 : 0;
  closedir(folder);
  return count - 1;  // the listing's own descriptor
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::atol(argv[1]) < 1) {
    std::cerr << "usage: kavrin_soak N READER\n";
    return 2;
  }
  const long sessions = std::atol(argv[1]);
  TAVQ::InstallUserNotifier(&TAVQ::QuietUserNotifier());
  TAVQ::ThreadErrorRecordStore errorRecords;
  TAVQ::InstallErrorRecordStore(&errorRecords);

  Cli::ReadRequest request;
  request.reader = TAVQ::FromUtf8(argv[2]);
  request.cardId = 1;
  request.verify = true;
  request.checkOrigin = true;
  const std::set<long> reportAt{1, 10, 100, sessions};

  Cli::Json first;
  long differing = 0;
  std::printf("%9s %10s %12s\n", "sessions", "RSS (KB)", "descriptors");
  for (long session = 1; session <= sessions; ++session) {
    const Cli::ReadOutcome outcome = Cli::ReadCard(request);
    if (session == 1) first = outcome.report;
    if (outcome.status != Cli::kExitSuccess || outcome.report != first) ++differing;
    if (reportAt.count(session) != 0) {
      std::printf("%9ld %10ld %12d\n", session, ResidentKilobytes(), OpenDescriptors());
      std::fflush(stdout);
    }
  }
  std::printf("sessions that failed or differed from the first: %ld\n", differing);
  return differing == 0 ? 0 : 1;
}
