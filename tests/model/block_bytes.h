// Builds card block bytes for tests, written out independently of the codec.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fakes/raised.h"
#include "support/text.h"
#include "support/types.h"

namespace ZKTest {

using TAVQ::ByteArray;

inline ByteArray Ascii(const std::string& text) { return ByteArray(text.begin(), text.end()); }

inline ByteArray Utf16(const std::u16string& text) {
  ByteArray bytes;
  for (char16_t unit : text) bytes.insert(bytes.end(), {std::uint8_t(unit & 0xFF), std::uint8_t(unit >> 8)});
  return bytes;
}

// Tag and length least significant byte first, then the value.
inline ByteArray Element(std::uint16_t tag, const ByteArray& value) {
  ByteArray bytes{std::uint8_t(tag & 0xFF), std::uint8_t(tag >> 8), std::uint8_t(value.size() & 0xFF),
                  std::uint8_t(value.size() >> 8)};
  bytes.insert(bytes.end(), value.begin(), value.end());
  return bytes;
}

// A block header declaring the true length of the elements that follow.
inline ByteArray Block(std::uint16_t tag, const std::vector<ByteArray>& elements) {
  ByteArray body;
  for (const ByteArray& element : elements) body.insert(body.end(), element.begin(), element.end());
  return Element(tag, body);
}

inline std::string CardError(const std::function<void()>& action) {
  return TAVQ::ToNarrow(Fakes::Raised<CardException>(action).message);
}

}  // namespace ZKTest
