#include "transport/reader_selection_dialog.h"

namespace TAVQ {
namespace PCSC {

ReaderSelectionDialog::ReaderSelectionDialog(const PCSCContext& callerContext) : context(callerContext.Borrow()) {}

ReaderSelectionDialog::~ReaderSelectionDialog() = default;

bool ReaderSelectionDialog::CheckCard(ContextHandle, CardHandle) { return true; }

void ReaderSelectionDialog::Show() { ShowPlatform(); }

bool ReaderSelectionDialog::CheckTrampoline(ReaderSelectionDialog& dialog, ContextHandle context,
                                            CardHandle card) noexcept {
  try {
    return dialog.CheckCard(context, card);
  } catch (...) {
    return false;  // a check that fails refuses the card
  }
}

std::u16string BuildMultiString(const StringList& names) {
  std::u16string multiString;
  for (const WString& name : names) {
    multiString += name;
    multiString += u'\0';
  }
  multiString += u'\0';
  return multiString;
}

}  // namespace PCSC
}  // namespace TAVQ
