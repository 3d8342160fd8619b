#include "support/exception.h"

#include <utility>

#include "support/last_error.h"
#include "support/string_table.h"

namespace TAVQ {

Exception::Exception() {
  const std::uint32_t saved = GetLastErrorValue();
  message = LoadResourceString(IDS_UNHANDLED_EXCEPTION);
  SetLastErrorValue(saved);
}

Exception::Exception(WString message) : message(std::move(message)) {}

Exception::~Exception() = default;

ArgumentException::ArgumentException(WString message) : Exception(std::move(message)) {}

ArgumentException::ArgumentException(WString message, WString paramName)
    : Exception(std::move(message)), paramName(std::move(paramName)) {
  this->message += LoadResourceString(IDS_PARAMETER_NAME_SUFFIX);
  this->message += this->paramName;
}

ArgumentOutOfRangeException::ArgumentOutOfRangeException(WString paramName)
    : ArgumentException(LoadResourceString(IDS_ARGUMENT_OUT_OF_RANGE), std::move(paramName)) {}

ArgumentOutOfRangeException::ArgumentOutOfRangeException(WString paramName, WString message)
    : ArgumentException(std::move(message), std::move(paramName)) {}

OverflowException::OverflowException(WString message) : Exception(std::move(message)) {}

Win32Exception::Win32Exception(const char* /*operation*/)
    : Exception(), errorCode(static_cast<std::int32_t>(GetLastErrorValue())) {
  message = SystemMessage(errorCode);
}

Win32Exception::Win32Exception(const char* /*operation*/, std::int32_t errorCode)
    : Exception(), errorCode(errorCode) {
  message = SystemMessage(errorCode);
}

namespace PCSC {

PCSCWin32Exception::PCSCWin32Exception(const char* operation, std::int32_t errorCode)
    : Win32Exception(operation, errorCode) {}

void CheckResult(const char* operation, long result) {
  if (result == 0) return;
  // PC/SC codes are 32-bit values; a 64-bit LONG holds them unsigned.
  throw PCSCWin32Exception(operation, static_cast<std::int32_t>(static_cast<std::uint32_t>(result)));
}

}  // namespace PCSC

namespace Security {
namespace Cryptography {
namespace X509 {
X509Exception::X509Exception(WString message) : Exception(std::move(message)) {}
}  // namespace X509
}  // namespace Cryptography
}  // namespace Security

}  // namespace TAVQ

namespace SmartCardIO {
SCIOException::SCIOException(TAVQ::WString message) : Exception(std::move(message)) {}
}  // namespace SmartCardIO

CardException::CardException(TAVQ::WString message)
    : Exception(std::move(message)), errorCode(static_cast<std::int32_t>(0x80004005u)) {}

namespace JavaCard {
AppletException::AppletException(std::uint16_t statusWord) : Exception(), statusWord(statusWord) {}
}  // namespace JavaCard
