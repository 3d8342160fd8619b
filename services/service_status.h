// Status codes the services return besides those of support/hresult.h.
#pragma once

#include "support/hresult.h"

namespace TAVQ {

constexpr HRESULT ToHResult(std::uint32_t value) { return static_cast<HRESULT>(value); }

// HRESULT_FROM_WIN32(ERROR_INVALID_STATE, 5023): a card operation before InitCard.
constexpr HRESULT kInitCardRequired = ToHResult(0x8007139Fu);
// HRESULT_FROM_WIN32(ERROR_CANCELLED, 1223): nothing was chosen in the reader selection.
constexpr HRESULT kSelectionCancelled = ToHResult(0x800704C7u);
// A report with no description and no status: facility 4, code 0.
constexpr HRESULT kUnknownErrorStatus = ToHResult(0x80040000u);
// Base of the status of a card applet's status word: severity error, facility 4.
constexpr std::uint32_t kAppletStatusBase = 0x80040000u;
// Base of a Win32 error code turned into an HRESULT: severity error, facility 7.
constexpr std::uint32_t kWin32StatusBase = 0x80070000u;

inline bool Failed(HRESULT status) { return status < 0; }

}  // namespace TAVQ
