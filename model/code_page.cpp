#include "model/code_page.h"

#include "support/exception.h"
#include "support/format.h"

namespace ZK {

namespace {

// The platform's ERROR_INVALID_PARAMETER, which its conversion reports for a code
// page it does not know.
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr char16_t kReplacementCharacter = u'\uFFFD';

[[noreturn]] void ThrowUnsupported(std::uint16_t tag) {
  throw CardException(TAVQ::FormatString(u"Error 0x%08X occurred while translating string with tag %d",
                                         kErrorInvalidParameter, static_cast<int>(tag)));
}

}  // namespace

TAVQ::WString DecodeText(const TAVQ::ByteArray& bytes, std::uint32_t codePage, std::uint16_t tag) {
  TAVQ::WString text;
  if (codePage == kCodePageUtf16) {
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return text;
  }
  if (bytes.empty()) return text;
  if (codePage != kCodePageUsAscii) ThrowUnsupported(tag);
  text.reserve(bytes.size());
  for (std::uint8_t byte : bytes) {
    text.push_back(byte <= 0x7F ? static_cast<char16_t>(byte) : kReplacementCharacter);
  }
  return text;
}

TAVQ::ByteArray EncodeText(const TAVQ::WString& text, std::uint32_t codePage, std::uint16_t tag) {
  TAVQ::ByteArray bytes;
  if (codePage == kCodePageUtf16) {
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
      bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
  }
  if (text.empty()) return bytes;
  if (codePage != kCodePageUsAscii) ThrowUnsupported(tag);
  bytes.reserve(text.size());
  for (char16_t unit : text) {
    if (unit > 0x7F) throw CardException(u"Non-translatable characters found in string");
    bytes.push_back(static_cast<std::uint8_t>(unit));
  }
  return bytes;
}

}  // namespace ZK
