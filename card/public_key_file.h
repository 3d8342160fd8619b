// The active-authentication public key as stored in EF 0x0D07: byte 1 the key
// type (2 or 5), a 2-byte modulus length at offset 5, the modulus, a 2-byte
// exponent length and the exponent; lengths most significant byte first.
#pragma once

#include "support/types.h"

struct PublicKeyFile {
  TAVQ::ByteArray modulus;
  TAVQ::ByteArray exponent;

  // Raises ArgumentException "Invalid public key" (parameter "publicKeyDer") for a
  // wrong key type or a file shorter than the lengths it declares.
  static PublicKeyFile Parse(const TAVQ::ByteArray& file);
};
