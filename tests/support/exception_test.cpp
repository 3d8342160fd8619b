#include "support/exception.h"

#include <gtest/gtest.h>

#include "support/last_error.h"
#include "support/string_table.h"
#include "support/text.h"

using namespace TAVQ;

TEST(ExceptionTest, MessagesOfEachKind) {
  const char* const unrecognized = "An unrecognized Win32Exception was thrown.";
  SetLastErrorValue(5);
  const std::pair<Exception, std::string> cases[] = {
      {ArgumentException(u"Invalid public key", u"publicKeyDer"), "Invalid public key\r\nParameter Name: publicKeyDer"},
      {ArgumentException(u"Bad"), "Bad"},
      {ArgumentOutOfRangeException(u"day"),
       "Specified argument was out of the range of valid values.\r\nParameter Name: day"},
      {ArgumentOutOfRangeException(u"year", LoadResourceFormat(IDS_VALID_VALUES_BETWEEN, 1, 9999)),
       "Valid values are between 1 and 9999, inclusive.\r\nParameter Name: year"},
      {JavaCard::AppletException(0x6A82), "An unhandled exception was thrown."},
      {Win32Exception("CreateFile"), "Access is denied."},
      {Win32Exception("Op", 122), "The data area passed to a system call is too small."},
      {Win32Exception("Op", static_cast<std::int32_t>(0x80070057u)), "The parameter is incorrect."},
      {Win32Exception("Op", 70000), unrecognized},
      {PCSC::PCSCWin32Exception("SCardConnect", static_cast<std::int32_t>(0x8010FFFFu)), unrecognized},
  };
  for (const auto& [e, message] : cases) EXPECT_EQ(ToNarrow(e.message), message);
  EXPECT_EQ(JavaCard::AppletException(0x6A82).statusWord, 0x6A82);
}

TEST(StringTableTest, TextsByIdWithNeutralFallbackAndEmptyGaps) {
  const std::pair<unsigned, WString> cases[] = {
      {0x5001, u"Invalid length. Must be multiple of 4."},
      {0x5601, u"The given key was not present in the map."},
      {0x501F, u""},  // block exists, last entry empty
      {0x7000, u""},  // no such block
  };
  for (const auto& [id, text] : cases) EXPECT_EQ(LoadResourceString(id), text) << std::hex << id;
  EXPECT_EQ(LoadResourceString(0x5008, 0x0409), u"An unhandled exception was thrown.");
}
