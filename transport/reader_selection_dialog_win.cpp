// The platform's card selection dialog.
#include <windows.h>
#include <winscard.h>

#include <array>
#include <string>

#include "support/exception.h"
#include "transport/reader_selection_dialog.h"

namespace TAVQ {
namespace PCSC {

namespace {

constexpr DWORD kNameBufferLength = 1024;

#ifndef _WIN64
// The layouts the dialog expects from a 32-bit caller.
static_assert(sizeof(OPENCARDNAME_EXW) == 0x48, "OPENCARDNAME_EXW is 72 bytes");
static_assert(sizeof(OPENCARD_SEARCH_CRITERIAW) == 0x34, "OPENCARD_SEARCH_CRITERIAW is 52 bytes");
#endif

const wchar_t* OrNull(const WString& text) {
  return text.empty() ? nullptr : reinterpret_cast<const wchar_t*>(text.c_str());
}

WINBOOL WINAPI CheckCallback(SCARDCONTEXT context, SCARDHANDLE card, PVOID userData) {
  auto* dialog = static_cast<ReaderSelectionDialog*>(userData);
  return ReaderSelectionDialog::CheckTrampoline(*dialog, context, card) ? TRUE : FALSE;
}

}  // namespace

void ReaderSelectionDialog::ShowPlatform() {
  // Owned here, so it is freed on every path.
  std::u16string cardNameList = cardNames.empty() ? std::u16string() : BuildMultiString(cardNames);

  OPENCARD_SEARCH_CRITERIAW criteria;
  ZeroMemory(&criteria, sizeof(criteria));
  criteria.dwStructSize = sizeof(criteria);
  criteria.lpstrGroupNames = nullptr;
  criteria.nMaxGroupNames = 0;
  criteria.rgguidInterfaces = nullptr;
  criteria.cguidInterfaces = 0;
  criteria.lpstrCardNames = cardNameList.empty() ? nullptr : reinterpret_cast<LPWSTR>(cardNameList.data());
  criteria.nMaxCardNames = static_cast<DWORD>(cardNameList.size());
  criteria.lpfnCheck = &CheckCallback;
  criteria.lpfnConnect = nullptr;
  criteria.lpfnDisconnect = nullptr;
  criteria.pvUserData = this;
  criteria.dwShareMode = shareMode;
  criteria.dwPreferredProtocols = preferredProtocols;

  std::array<wchar_t, kNameBufferLength> readerBuffer{};
  std::array<wchar_t, kNameBufferLength> cardBuffer{};
  OPENCARDNAME_EXW dialog;
  ZeroMemory(&dialog, sizeof(dialog));
  dialog.dwStructSize = sizeof(dialog);
  dialog.hSCardContext = context.handle();
  dialog.hwndOwner = static_cast<HWND>(ownerWindow);
  dialog.dwFlags = flags;
  dialog.lpstrTitle = OrNull(title);
  dialog.lpstrSearchDesc = OrNull(searchDescription);
  dialog.hIcon = nullptr;
  dialog.pOpenCardSearchCriteria = &criteria;
  dialog.lpfnConnect = nullptr;
  dialog.pvUserData = nullptr;
  dialog.dwShareMode = shareMode;
  dialog.dwPreferredProtocols = preferredProtocols;
  dialog.lpstrRdr = readerBuffer.data();
  dialog.nMaxRdr = kNameBufferLength;
  dialog.lpstrCard = cardBuffer.data();
  dialog.nMaxCard = kNameBufferLength;

  if (SCardUIDlgSelectCardW(&dialog) != SCARD_S_SUCCESS) return;  // cancelled or failed: nothing chosen

  // The dialog leaves the chosen card connected; only its name is wanted.
  CheckResult("SCardDisconnect", SCardDisconnect(dialog.hCardHandle, SCARD_LEAVE_CARD));
  readerBuffer.back() = L'\0';
  cardBuffer.back() = L'\0';
  selectedReader = reinterpret_cast<const char16_t*>(readerBuffer.data());
  selectedCard = reinterpret_cast<const char16_t*>(cardBuffer.data());
  activeProtocol = dialog.dwActiveProtocol;
}

}  // namespace PCSC
}  // namespace TAVQ
