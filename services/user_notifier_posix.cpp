// Without a message box the description goes to stderr, one line per report.
#include <cstdio>
#include <string>

#include "services/user_notifier.h"
#include "support/text.h"

namespace TAVQ {

namespace {

class StderrNotifier final : public UserNotifier {
 public:
  void Notify(const WString& description) noexcept override {
    try {
      const std::string line = ToNarrow(description) + "\n";
      std::fputs(line.c_str(), stderr);
    } catch (...) {
      // Out of memory while showing a failure: nothing more can be shown.
    }
  }
};

}  // namespace

UserNotifier& PlatformUserNotifier() {
  static StderrNotifier notifier;
  return notifier;
}

}  // namespace TAVQ
