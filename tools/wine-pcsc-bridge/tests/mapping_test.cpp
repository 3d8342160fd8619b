#include "common/mapping.h"

#include <gtest/gtest.h>

namespace WinePcscBridge {
namespace {

TEST(Mapping, RawProtocolMovesBetweenTheTwoNumberings) {
  EXPECT_EQ(ProtocolsToPcscLite(kWindowsProtocolRaw), kPcscLiteProtocolRaw);
  EXPECT_EQ(ProtocolsFromPcscLite(kPcscLiteProtocolRaw), kWindowsProtocolRaw);
  EXPECT_EQ(ProtocolsToPcscLite(kWindowsProtocolT0 | kWindowsProtocolT1), 0x3u);
  EXPECT_EQ(ProtocolsFromPcscLite(kPcscLiteProtocolT1), kWindowsProtocolT1);
  EXPECT_EQ(ProtocolsToPcscLite(kWindowsProtocolT1 | kWindowsProtocolRaw), 0x6u);
  // pcsc-lite's T=15 bit has no Windows counterpart and must not turn into RAW.
  EXPECT_EQ(ProtocolsFromPcscLite(0x8), 0u);
}

TEST(Mapping, CardStateIsTheMostAdvancedBit) {
  EXPECT_EQ(CardStateFromPcscLite(0x0002), 1u);           // absent
  EXPECT_EQ(CardStateFromPcscLite(0x0004), 2u);           // present
  EXPECT_EQ(CardStateFromPcscLite(0x0004 | 0x0010), 4u);  // present and powered
  EXPECT_EQ(CardStateFromPcscLite(0x0034), 5u);           // ... and negotiable
  EXPECT_EQ(CardStateFromPcscLite(0x0054), 6u);           // ... protocol set
  EXPECT_EQ(CardStateFromPcscLite(0x0001), 0u);           // pcsc-lite's UNKNOWN bit
}

TEST(Mapping, SmartCardControlCodesAreRenumbered) {
  // CM_IOCTL_GET_FEATURE_REQUEST is function 3400 on both systems.
  EXPECT_EQ(ControlCodeToPcscLite(0x00313520u), 0x42000000u + 3400);
  EXPECT_EQ(ControlCodeToPcscLite(0x00310000u | (1u << 2)), 0x42000001u);
  // Already pcsc-lite's, or another device's code: unchanged.
  EXPECT_EQ(ControlCodeToPcscLite(0x42000D48u), 0x42000D48u);
  EXPECT_EQ(ControlCodeToPcscLite(0x00220000u | (5u << 2)), 0x00220014u);
  // METHOD_NEITHER is not a smart card code.
  EXPECT_EQ(ControlCodeToPcscLite(0x00313523u), 0x00313523u);
}

}  // namespace
}  // namespace WinePcscBridge
