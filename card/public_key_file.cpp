#include "card/public_key_file.h"

#include <cstddef>

#include "support/exception.h"

using TAVQ::ByteArray;

namespace {

constexpr std::size_t kTypeOffset = 1;
constexpr std::size_t kModulusLengthOffset = 5;

[[noreturn]] void ThrowInvalid() { throw TAVQ::ArgumentException(u"Invalid public key", u"publicKeyDer"); }

// Reads a big-endian length at offset and the field that follows it, advancing
// offset past both; never reads beyond the file.
ByteArray TakeField(const ByteArray& file, std::size_t& offset) {
  if (file.size() < offset + 2) ThrowInvalid();
  const std::size_t length = (std::size_t{file[offset]} << 8) | file[offset + 1];
  offset += 2;
  if (file.size() - offset < length) ThrowInvalid();
  ByteArray field(file.begin() + static_cast<std::ptrdiff_t>(offset),
                  file.begin() + static_cast<std::ptrdiff_t>(offset + length));
  offset += length;
  return field;
}

}  // namespace

PublicKeyFile PublicKeyFile::Parse(const ByteArray& file) {
  if (file.size() <= kTypeOffset || (file[kTypeOffset] != 2 && file[kTypeOffset] != 5)) ThrowInvalid();
  std::size_t offset = kModulusLengthOffset;
  PublicKeyFile key;
  key.modulus = TakeField(file, offset);
  key.exponent = TakeField(file, offset);
  return key;
}
