// The modal message box of every reported failure.
#include <windows.h>

#include "services/user_notifier.h"

namespace TAVQ {

namespace {

class MessageBoxNotifier final : public UserNotifier {
 public:
  void Notify(const WString& description) noexcept override {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected on Windows");
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(description.c_str()), L"Brisolant",
                MB_OK | MB_ICONEXCLAMATION);
  }
};

}  // namespace

UserNotifier& PlatformUserNotifier() {
  static MessageBoxNotifier notifier;
  return notifier;
}

}  // namespace TAVQ
