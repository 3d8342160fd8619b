// Keys, certificates and signed messages made at test time with OpenSSL, so that
// the tests never share fixed crypto material with the code under test.
#pragma once

#include <cstdint>

#include "card/openssl_handles.h"
#include "support/types.h"

class TestPki {
 public:
  // A fresh RSA key of the given size and a self-signed certificate for it.
  explicit TestPki(int bits = 1024);

  // DER PKCS#7 SignedData with content attached, signed by this key.
  TAVQ::ByteArray SignAttached(const TAVQ::ByteArray& content) const;
  // The same message with its detached form (content left out).
  TAVQ::ByteArray SignDetached(const TAVQ::ByteArray& content) const;
  TAVQ::ByteArray CertificateDer() const;

  // Public key in the card's EF 0x0D07 layout with the given key type byte.
  TAVQ::ByteArray PublicKeyFile(std::uint8_t keyType = 2) const;
  // RSA PKCS#1 v1.5 signature of the SHA-1 digest of data (what a card returns
  // for the DigestInfo of that data).
  TAVQ::ByteArray SignSha1(const TAVQ::ByteArray& data) const;
  // Raw RSA private operation with PKCS#1 v1.5 padding over the given bytes
  // (the card's PERFORM SECURITY OPERATION over a ready DigestInfo).
  TAVQ::ByteArray SignRaw(const TAVQ::ByteArray& digestInfo) const;

 private:
  OpenSsl::PKey key_;
  OpenSsl::X509Cert cert_;
};

TAVQ::ByteArray Sha256Of(const TAVQ::ByteArray& data);
TAVQ::ByteArray Sha1Of(const TAVQ::ByteArray& data);
