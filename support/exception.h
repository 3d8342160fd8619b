// The exception tree: every failure below the COM boundary is one of these,
// thrown by value and caught by reference. Fields are read directly.
#pragma once

#include <cstdint>

#include "support/types.h"

namespace TAVQ {

class Exception {
 public:
  // The default message; keeps the thread's last-error value across the lookup.
  Exception();
  explicit Exception(WString message);
  virtual ~Exception();

  WString message;
};

class ArgumentException : public Exception {
 public:
  explicit ArgumentException(WString message);
  // message + "\r\nParameter Name: " + paramName, the suffix even for an empty name.
  ArgumentException(WString message, WString paramName);

  WString paramName;
};

class ArgumentOutOfRangeException : public ArgumentException {
 public:
  explicit ArgumentOutOfRangeException(WString paramName);
  // Note the order: name first.
  ArgumentOutOfRangeException(WString paramName, WString message);
};

class OverflowException : public Exception {
 public:
  explicit OverflowException(WString message);
};

class Win32Exception : public Exception {
 public:
  // errorCode from the thread's last-error value; operation names the failing call.
  explicit Win32Exception(const char* operation);
  Win32Exception(const char* operation, std::int32_t errorCode);

  std::int32_t errorCode;
};

namespace PCSC {

class PCSCWin32Exception : public Win32Exception {
 public:
  PCSCWin32Exception(const char* operation, std::int32_t errorCode);
};

// Returns for 0; throws PCSCWin32Exception(operation, result) otherwise. Takes the
// platform's LONG, whose width differs (64-bit in pcsc-lite on x86_64).
void CheckResult(const char* operation, long result);

}  // namespace PCSC

namespace Security {
namespace Cryptography {
namespace X509 {

class X509Exception : public Exception {
 public:
  explicit X509Exception(WString message);
};

}  // namespace X509
}  // namespace Cryptography
}  // namespace Security

// The platform's one-line text for an error code, or string 0x500A when it has none.
WString SystemMessage(std::int32_t errorCode);

}  // namespace TAVQ

namespace SmartCardIO {

class SCIOException : public TAVQ::Exception {
 public:
  explicit SCIOException(TAVQ::WString message);
};

}  // namespace SmartCardIO

// A failure of card logic or card data; always E_FAIL.
class CardException : public TAVQ::Exception {
 public:
  explicit CardException(TAVQ::WString message);

  std::int32_t errorCode;
};

namespace JavaCard {

// The card application answered with a status word other than 9000.
class AppletException : public TAVQ::Exception {
 public:
  explicit AppletException(std::uint16_t statusWord);

  std::uint16_t statusWord;
};

}  // namespace JavaCard
