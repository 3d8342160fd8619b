#include "services/user_notifier.h"

#include <atomic>

namespace TAVQ {

namespace {

class QuietNotifier final : public UserNotifier {
 public:
  void Notify(const WString&) noexcept override {}
};

std::atomic<UserNotifier*> installed{nullptr};

}  // namespace

UserNotifier& QuietUserNotifier() {
  static QuietNotifier quiet;
  return quiet;
}

UserNotifier& CurrentUserNotifier() {
  UserNotifier* notifier = installed.load();
  return notifier != nullptr ? *notifier : PlatformUserNotifier();
}

UserNotifier* InstallUserNotifier(UserNotifier* notifier) { return installed.exchange(notifier); }

}  // namespace TAVQ
