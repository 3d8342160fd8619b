#include "support/exception.h"

#include <gtest/gtest.h>

#include "support/last_error.h"
#include "support/string_table.h"
#include "support/text.h"

using namespace TAVQ;

TEST(ExceptionTest, MessagesOfEachKind) {
  const char* const unrecognized = "An unrecognized Win32Exception was thrown.";
  SetLastErrorValue(5);
  const Win32Exception fromLastError("CreateFile");
  EXPECT_EQ(fromLastError.errorCode, 5);
  const std::pair<Exception, std::string> cases[] = {
      {ArgumentException(u"Invalid public key", u"publicKeyDer"), "Invalid public key\r\nParameter Name: publicKeyDer"},
      {ArgumentException(u"Bad", u""), "Bad\r\nParameter Name: "},
      {ArgumentException(u"Bad"), "Bad"},
      {ArgumentOutOfRangeException(u"day"),
       "Specified argument was out of the range of valid values.\r\nParameter Name: day"},
      {ArgumentOutOfRangeException(u"value", u"Value to add was out of range."),
       "Value to add was out of range.\r\nParameter Name: value"},
      {ArgumentOutOfRangeException(u"year", LoadResourceFormat(IDS_VALID_VALUES_BETWEEN, 1, 9999)),
       "Valid values are between 1 and 9999, inclusive.\r\nParameter Name: year"},
      {Exception(), "An unhandled exception was thrown."},
      {JavaCard::AppletException(0x6A82), "An unhandled exception was thrown."},
      {fromLastError, "Access is denied."},
      {Win32Exception("Op", 2), "The system cannot find the file specified."},
      {Win32Exception("Op", 122), "The data area passed to a system call is too small."},
      {Win32Exception("Op", static_cast<std::int32_t>(0x80070057u)), "The parameter is incorrect."},
      {Win32Exception("Op", 70000), unrecognized},
      {Win32Exception("Op", static_cast<std::int32_t>(0x80046A82u)), unrecognized},
      {PCSC::PCSCWin32Exception("SCardConnect", static_cast<std::int32_t>(0x8010FFFFu)), unrecognized},
      {SmartCardIO::SCIOException(u"io"), "io"},
      {Security::Cryptography::X509::X509Exception(u"x509"), "x509"},
  };
  for (const auto& [e, message] : cases) EXPECT_EQ(ToNarrow(e.message), message);
  EXPECT_EQ(ArgumentException(u"m", u"p").paramName, u"p");
  EXPECT_TRUE(ArgumentException(u"m").paramName.empty());
  EXPECT_EQ(JavaCard::AppletException(0x6A82).statusWord, 0x6A82);
  EXPECT_EQ(static_cast<std::uint32_t>(CardException(u"").errorCode), 0x80004005u);
}

TEST(ExceptionTest, CheckResultPassesZeroAndRaisesTheCodeOtherwise) {
  EXPECT_NO_THROW(PCSC::CheckResult("SCardConnect", 0));
  try {
    PCSC::CheckResult("SCardConnect", 0x80100069L);
    FAIL() << "no exception";
  } catch (const PCSC::PCSCWin32Exception& e) {
    EXPECT_EQ(static_cast<std::uint32_t>(e.errorCode), 0x80100069u);
    // The platform's own text: pcsc-lite's here, the system's on Windows.
    EXPECT_FALSE(e.message.empty());
    EXPECT_NE(e.message, u"An unrecognized Win32Exception was thrown.");
  }
}
