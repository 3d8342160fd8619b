// UtilitiesService: the platform's message text for any error code. Never reports.
#pragma once

#include <cstdint>

#include "support/hresult.h"
#include "support/types.h"

namespace TAVQ {

class CUtilitiesService {
 public:
  // The text a Win32Exception with this code carries: the platform's message without
  // line breaks, or "An unrecognized Win32Exception was thrown.". S_OK for every code;
  // E_POINTER for a null result, E_OUTOFMEMORY when the text cannot be built.
  HRESULT GetErrorMessage(std::int32_t errorCode, WString* message);
};

}  // namespace TAVQ
