#include <gtest/gtest.h>

#include "support/exception.h"
#include "support/last_error.h"
#include "support/string_table.h"

using namespace TAVQ;

TEST(ArgumentExceptionTest, TwoArgumentFormAppendsTheParameterSuffix) {
  ArgumentException e(u"Invalid public key", u"publicKeyDer");
  EXPECT_EQ(e.message, u"Invalid public key\r\nParameter Name: publicKeyDer");
  EXPECT_EQ(e.paramName, u"publicKeyDer");
}

TEST(ArgumentExceptionTest, EmptyParameterNameStillGetsTheBareSuffix) {
  ArgumentException e(u"Bad", u"");
  EXPECT_EQ(e.message, u"Bad\r\nParameter Name: ");
}

TEST(ArgumentExceptionTest, OneArgumentFormHasNoSuffixAndNoName) {
  ArgumentException e(u"Bad");
  EXPECT_EQ(e.message, u"Bad");
  EXPECT_TRUE(e.paramName.empty());
}

TEST(ArgumentOutOfRangeExceptionTest, DefaultMessageAndNameFirstOrder) {
  ArgumentOutOfRangeException byName(u"day");
  EXPECT_EQ(byName.message, u"Specified argument was out of the range of valid values.\r\nParameter Name: day");
  ArgumentOutOfRangeException both(u"value", u"Value to add was out of range.");
  EXPECT_EQ(both.message, u"Value to add was out of range.\r\nParameter Name: value");
  EXPECT_EQ(both.paramName, u"value");
}

TEST(ArgumentOutOfRangeExceptionTest, YearCheckMessage) {
  ArgumentOutOfRangeException e(u"year", LoadResourceFormat(IDS_VALID_VALUES_BETWEEN, 1, 9999));
  EXPECT_EQ(e.message, u"Valid values are between 1 and 9999, inclusive.\r\nParameter Name: year");
}

TEST(ExceptionTest, DefaultMessageKeepsTheCallersLastError) {
  SetLastErrorValue(1234);
  Exception e;
  EXPECT_EQ(e.message, u"An unhandled exception was thrown.");
  EXPECT_EQ(GetLastErrorValue(), 1234u);
}

TEST(ExceptionTest, CopyKeepsDerivedFields) {
  try {
    throw ArgumentException(u"m", u"p");
  } catch (const Exception& e) {
    const auto* derived = dynamic_cast<const ArgumentException*>(&e);
    ASSERT_NE(derived, nullptr);
    EXPECT_EQ(derived->paramName, u"p");
  }
}

TEST(Win32ExceptionTest, OneArgumentFormTakesTheLastErrorValue) {
  SetLastErrorValue(5);
  Win32Exception e("CreateFile");
  EXPECT_EQ(e.errorCode, 5);
  EXPECT_EQ(e.message, u"Access is denied.");
}

TEST(Win32ExceptionTest, KnownCodeIsOneLine) {
  Win32Exception e("Op", 2);
  EXPECT_EQ(e.message, u"The system cannot find the file specified.");
  EXPECT_EQ(e.message.find(u"\r\n"), WString::npos);
}

TEST(Win32ExceptionTest, UnknownCodeHasTheFallbackText) {
  EXPECT_EQ(Win32Exception("Op", 70000).message, u"An unrecognized Win32Exception was thrown.");
  EXPECT_EQ(Win32Exception("Op", static_cast<std::int32_t>(0x80046A82u)).message,
            u"An unrecognized Win32Exception was thrown.");
}

TEST(Win32ExceptionTest, HResultOfAWin32CodeHasThatCodesText) {
  EXPECT_EQ(Win32Exception("Op", static_cast<std::int32_t>(0x80070057u)).message, u"The parameter is incorrect.");
}

TEST(PcscExceptionTest, CheckResultPassesZeroAndThrowsTheCodeOtherwise) {
  EXPECT_NO_THROW(PCSC::CheckResult("SCardConnect", 0));
  try {
    PCSC::CheckResult("SCardConnect", 0x80100069L);
    FAIL() << "no exception";
  } catch (const PCSC::PCSCWin32Exception& e) {
    EXPECT_EQ(static_cast<std::uint32_t>(e.errorCode), 0x80100069u);
    EXPECT_FALSE(e.message.empty());
    EXPECT_NE(e.message, u"An unrecognized Win32Exception was thrown.");
  }
}

TEST(PcscExceptionTest, SmartCardCodeUnknownToThePlatformFallsBack) {
  PCSC::PCSCWin32Exception e("SCardConnect", static_cast<std::int32_t>(0x8010FFFFu));
  EXPECT_EQ(e.message, u"An unrecognized Win32Exception was thrown.");
}

TEST(CardExceptionTest, AlwaysEFail) {
  EXPECT_EQ(static_cast<std::uint32_t>(CardException(u"x").errorCode), 0x80004005u);
  EXPECT_EQ(static_cast<std::uint32_t>(CardException(u"").errorCode), 0x80004005u);
}

TEST(AppletExceptionTest, CarriesOnlyTheStatusWord) {
  JavaCard::AppletException e(0x6A82);
  EXPECT_EQ(e.statusWord, 0x6A82);
  EXPECT_EQ(e.message, u"An unhandled exception was thrown.");
}

TEST(OtherExceptionsTest, MessageIsKept) {
  EXPECT_EQ(SmartCardIO::SCIOException(u"io").message, u"io");
  EXPECT_EQ(Security::Cryptography::X509::X509Exception(u"x509").message, u"x509");
  EXPECT_EQ(OverflowException(u"of").message, u"of");
}
