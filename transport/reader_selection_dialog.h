// Lets the user pick a reader holding an acceptable card: the platform's card
// selection dialog on Windows, its terminal equivalent elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "support/types.h"
#include "transport/pcsc_api.h"
#include "transport/pcsc_constants.h"
#include "transport/pcsc_context.h"

namespace TAVQ {
namespace PCSC {

class ReaderSelectionDialog {
 public:
  // context: the caller's established context, borrowed for the dialog's lifetime.
  explicit ReaderSelectionDialog(const PCSCContext& context);
  virtual ~ReaderSelectionDialog();
  ReaderSelectionDialog(const ReaderSelectionDialog&) = delete;
  ReaderSelectionDialog& operator=(const ReaderSelectionDialog&) = delete;

  // May this card be offered and chosen? Any card, unless a subclass says otherwise.
  virtual bool CheckCard(ContextHandle context, CardHandle card);

  // Runs the dialog once. A cancelled or failed dialog leaves selectedReader empty and
  // raises nothing; only a failing disconnect of the chosen card raises.
  void Show();

  // CheckCard on the dialog, false when it raises: exceptions never reach the platform.
  static bool CheckTrampoline(ReaderSelectionDialog& dialog, ContextHandle context, CardHandle card) noexcept;

  // Where the platform has no dialog: picks one of the qualifying readers (an index),
  // or nothing. Unset means the terminal when one is attached, otherwise nothing.
  using ReaderChooser = std::function<std::optional<std::size_t>(const StringList& readers)>;
  ReaderChooser chooser;

  PCSCContext context;
  std::uint32_t flags = kDialogMinimalUi;
  WString title;              // empty: the platform's default
  WString searchDescription;  // empty: the platform's default
  std::uint32_t shareMode = kShareShared;
  std::uint32_t preferredProtocols = kProtocolT0OrT1;
  void* ownerWindow = nullptr;
  StringList cardNames;  // acceptable card types; empty means any card

  // Outputs; selectedReader stays empty until a selection succeeds.
  WString selectedReader;
  WString selectedCard;
  std::uint32_t activeProtocol = 0;

 private:
  void ShowPlatform();
};

// The card names as a multi-string: each name, a zero, and one more zero at the end.
std::u16string BuildMultiString(const StringList& names);

}  // namespace PCSC
}  // namespace TAVQ
