// The one way a failure leaves a service method: show the description to the user,
// publish it as the thread's error record and return the status.
#pragma once

#include "services/service_identity.h"
#include "support/hresult.h"

namespace TAVQ {

// Description in the narrow (ANSI) code page. A null description returns E_POINTER
// and publishes no record; a failed conversion returns E_OUTOFMEMORY.
HRESULT ReportError(const ServiceIdentity& reporter, const char* description, HRESULT status);

// A null description reports "Unknown Error" and turns a zero status into 0x80040000.
// Returns the status, or DISP_E_EXCEPTION (0x80020009) for a zero status.
HRESULT ReportError(const ServiceIdentity& reporter, const char16_t* description, HRESULT status);

}  // namespace TAVQ
