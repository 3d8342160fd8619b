// Lookup of the module's fixed messages by string id.
#pragma once

#include <cstdint>

#include "support/types.h"

namespace TAVQ {

// Ids of the messages the system itself loads.
enum StringId : std::uint16_t {
  IDS_PARAMETER_NAME_SUFFIX = 0x5005,
  IDS_ARGUMENT_OUT_OF_RANGE = 0x5007,
  IDS_UNHANDLED_EXCEPTION = 0x5008,
  IDS_UNRECOGNIZED_WIN32_EXCEPTION = 0x500A,
  IDS_VALID_VALUES_BETWEEN = 0x500B,
  IDS_DATETIME_ARGUMENTS_OUT_OF_RANGE = 0x500C,
  IDS_DATETIME_UNREPRESENTABLE = 0x500D,
  IDS_INVALID_FILETIME = 0x500E,
  IDS_MONTH_OUT_OF_RANGE = 0x5011,
  IDS_VALUE_TO_ADD_OUT_OF_RANGE = 0x5012,
  IDS_TIMESPAN_OVERFLOW = 0x5013,
  IDS_CERTIFICATE_NOT_INITIALIZED = 0x54C6,
};

constexpr std::uint16_t kNeutralLanguage = 0;

// The string's text in the given language (falling back to the neutral one), or empty.
WString LoadResourceString(std::uint16_t id, std::uint16_t language);

// The same in the thread's user-interface language.
WString LoadResourceString(std::uint16_t id);

// The string used as a wide printf format; empty when the string is missing or
// the formatting fails.
WString LoadResourceFormat(unsigned int id, ...);

}  // namespace TAVQ
