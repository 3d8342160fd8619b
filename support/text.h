// Text and encoding utilities.
#pragma once

#include <optional>
#include <string>

#include "support/types.h"

namespace TAVQ {

// Wide text in the platform's narrow (ANSI) code page: UTF-8 off Windows. Characters
// the code page cannot represent become its default character.
std::string ToNarrow(const WString& text);

// Narrow text of the platform's code page to wide.
WString FromNarrow(const std::string& text);

// UTF-8 on every platform (PC/SC names off Windows, JSON, the terminal). Lone
// surrogates and invalid sequences become U+FFFD.
std::string ToUtf8(const WString& text);
WString FromUtf8(const std::string& text);

// RFC 4648 Base64 with padding and no line breaks.
WString ToBase64(const ByteArray& bytes);
// The bytes of such a text; none for a text that is not one (wrong length, a
// character outside the alphabet, padding anywhere but at the end).
std::optional<ByteArray> FromBase64(const WString& text);

// Two upper-case hexadecimal digits per byte, high nibble first.
WString ToHexString(const ByteArray& bytes);

// length / 2 bytes; an odd last character is ignored; no character is rejected.
ByteArray FromHexString(const WString& text);

// Upper-cases in place and returns the same string.
WString& ToUpper(WString& text);

}  // namespace TAVQ
