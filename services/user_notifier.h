// How a reported failure is shown to the interactive user: a modal message box on
// Windows, the description on stderr elsewhere. Replaceable for the whole process so
// that tests can count reports and the command-line reader can stay quiet.
#pragma once

#include "support/types.h"

namespace TAVQ {

class UserNotifier {
 public:
  virtual ~UserNotifier() = default;
  // Shows the description and returns once the user has seen it. Must not throw.
  virtual void Notify(const WString& description) noexcept = 0;
};

// The platform's notifier: the message box "Brisolant" on Windows, stderr elsewhere.
UserNotifier& PlatformUserNotifier();

// A notifier that shows nothing, for callers that report failures themselves.
UserNotifier& QuietUserNotifier();

// The notifier in use; the platform's until another is installed.
UserNotifier& CurrentUserNotifier();

// Installs a notifier (null restores the platform's) and returns the previous one.
// The caller keeps ownership and keeps it alive while installed.
UserNotifier* InstallUserNotifier(UserNotifier* notifier);

// Installs a notifier for the lifetime of the scope.
class ScopedUserNotifier {
 public:
  explicit ScopedUserNotifier(UserNotifier& notifier) : previous_(InstallUserNotifier(&notifier)) {}
  ~ScopedUserNotifier() { InstallUserNotifier(previous_); }
  ScopedUserNotifier(const ScopedUserNotifier&) = delete;
  ScopedUserNotifier& operator=(const ScopedUserNotifier&) = delete;

 private:
  UserNotifier* previous_;
};

}  // namespace TAVQ
