// Text conversion between UTF-16 and the code pages that card elements use.
#pragma once

#include <cstdint>

#include "support/types.h"

namespace ZK {

// UTF-16LE code units as they are on the card.
constexpr std::uint32_t kCodePageUtf16 = 1200;
// 7-bit US-ASCII.
constexpr std::uint32_t kCodePageUsAscii = 20127;

// Both raise CardException; tag names the element in the messages.
//  - 1200: two bytes per code unit, an odd last byte ignored; encoding never fails.
//  - 20127: bytes 00..7F map to U+0000..U+007F; a byte above 7F has no character
//    in the code page and decodes to U+FFFD, so that a round trip refuses it rather
//    than writing a different byte back. Encoding a character above U+007F raises
//    "Non-translatable characters found in string".
//  - any other code page is not supported: "Error 0x00000057 occurred while
//    translating string with tag %d" (the platform's invalid-parameter code).
TAVQ::WString DecodeText(const TAVQ::ByteArray& bytes, std::uint32_t codePage, std::uint16_t tag);
TAVQ::ByteArray EncodeText(const TAVQ::WString& text, std::uint32_t codePage, std::uint16_t tag);

}  // namespace ZK
