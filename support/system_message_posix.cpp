// Message texts without FormatMessageW: PC/SC codes from pcsc-lite, and the Win32
// and HRESULT codes that this system itself produces from a table of the texts
// Windows gives for them.
#include <PCSC/pcsclite.h>
#include <PCSC/winscard.h>

#include <cstring>
#include <map>

#include "support/system_message.h"
#include "support/text.h"

namespace TAVQ {

namespace {

const std::map<std::uint32_t, const char16_t*>& Win32Texts() {
  static const std::map<std::uint32_t, const char16_t*> texts = {
      {0, u"The operation completed successfully.\r\n"},
      {1, u"Incorrect function.\r\n"},
      {2, u"The system cannot find the file specified.\r\n"},
      {5, u"Access is denied.\r\n"},
      {6, u"The handle is invalid.\r\n"},
      {8, u"Not enough memory resources are available to process this command.\r\n"},
      {14, u"Not enough memory resources are available to complete this operation.\r\n"},
      {87, u"The parameter is incorrect.\r\n"},
      {122, u"The data area passed to a system call is too small.\r\n"},
      {1223, u"The operation was canceled by the user.\r\n"},
      {5023, u"The group or resource is not in the correct state to perform the requested operation.\r\n"},
  };
  return texts;
}

const std::map<std::uint32_t, const char16_t*>& HResultTexts() {
  static const std::map<std::uint32_t, const char16_t*> texts = {
      {0x80004001u, u"Not implemented\r\n"},
      {0x80004002u, u"No such interface supported\r\n"},
      {0x80004003u, u"Invalid pointer\r\n"},
      {0x80004005u, u"Unspecified error\r\n"},
      {0x8000FFFFu, u"Catastrophic failure\r\n"},
      {0x80020009u, u"Exception occurred.\r\n"},
      {0x8002000Bu, u"Invalid index.\r\n"},
      {0x80040110u, u"Class does not support aggregation (or class object is remote)\r\n"},
      {0x80040111u, u"ClassFactory cannot supply requested class\r\n"},
      {0x80040154u, u"Class not registered\r\n"},
  };
  return texts;
}

bool IsSmartCardCode(std::uint32_t code) { return (code & 0xFFFF0000u) == 0x80100000u; }

}  // namespace

std::optional<WString> PlatformMessageText(std::uint32_t code) {
  if (IsSmartCardCode(code)) {
    const char* text = pcsc_stringify_error(static_cast<LONG>(code));
    // pcsc-lite names codes it does not know "Unknown error: 0x...".
    if (text == nullptr || std::strncmp(text, "Unknown error", 13) == 0) return std::nullopt;
    return FromNarrow(text);
  }
  if (auto it = HResultTexts().find(code); it != HResultTexts().end()) return WString(it->second);
  // An HRESULT built from a Win32 code has that code's text.
  const std::uint32_t win32 = (code & 0xFFFF0000u) == 0x80070000u ? (code & 0xFFFFu) : code;
  if (auto it = Win32Texts().find(win32); it != Win32Texts().end()) return WString(it->second);
  return std::nullopt;
}

}  // namespace TAVQ
