// kavrin-hc-host: the native messaging host through which the browser extension reads
// health cards. The browser starts it, writes request frames to its stdin and reads the
// answers from its stdout; it ends when the browser closes stdin.
#include <cstdlib>
#include <iostream>

#include "host/fd_stream.h"
#include "host/platform_io.h"
#include "host/session.h"
#include "services/card_deadline.h"
#include "services/error_record.h"
#include "services/user_notifier.h"

int main() {
  const int frames = Host::TakeStdoutForFrames();
  if (frames < 0) {
    std::cerr << "kavrin-hc-host: cannot take hold of stdout\n";
    return 1;
  }
  // Every failure goes back to the browser in an answer; nothing is shown here.
  TAVQ::InstallUserNotifier(&TAVQ::QuietUserNotifier());
  TAVQ::ThreadErrorRecordStore errorRecords;
  TAVQ::InstallErrorRecordStore(&errorRecords);

  Host::FdInputBuffer inputBuffer(0);
  Host::FdOutputBuffer outputBuffer(frames);
  std::istream in(&inputBuffer);
  std::ostream out(&outputBuffer);
  Host::CardServices services;
  try {
    Host::Serve(in, out, services);
  } catch (const std::exception& e) {
    std::cerr << "kavrin-hc-host: " << e.what() << '\n';
    return 1;
  }
  const int status = out ? 0 : 1;
  if (TAVQ::CardDeadline::Abandoned() != 0) {
    // A card call is still blocked on another thread: end without tearing down under it.
    out.flush();
    std::_Exit(status);
  }
  return status;
}
