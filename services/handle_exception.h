// Turns the exception in flight into a reported failure: the catch-all of every
// service method ends in `return HandleException(identity);`.
#pragma once

#include "services/service_identity.h"
#include "support/hresult.h"

namespace TAVQ {

// Maps, in this order: CardException -> its errorCode (E_FAIL) and message;
// JavaCard::AppletException -> 0x8004xxxx with the status word and "Card applet returned
// an error %04Xh"; Win32Exception (and PCSCWin32Exception) -> 0x8007xxxx for a positive
// code, the code itself otherwise; any other TAVQ::Exception -> DISP_E_EXCEPTION with its
// message. Anything else still never escapes: an allocation failure gives
// E_OUTOFMEMORY, every other exception E_UNEXPECTED. Each is reported once.
// Called with no exception in flight, it reports E_UNEXPECTED.
HRESULT HandleException(const ServiceIdentity& reporter) noexcept;

}  // namespace TAVQ
