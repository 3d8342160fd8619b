// Keys, certificates and signed messages made at test time with OpenSSL, so that
// the tests never share fixed crypto material with the code under test.
#pragma once

#include <cstdint>
#include <string>

#include "card/openssl_handles.h"
#include "support/types.h"

class TestPki {
 public:
  // A fresh RSA key of 1024 bits and its certificate, self-signed without issuer, valid from
  // now for an hour unless notAfter (ASN.1 time) says.
  explicit TestPki(const std::string& commonName = "Test SOD signer", const TestPki* issuer = nullptr,
                   bool ca = false, const char* notAfter = nullptr);

  // DER PKCS#7 SignedData with content attached, signed by this key.
  TAVQ::ByteArray SignAttached(const TAVQ::ByteArray& content) const { return Sign(content, false); }
  TAVQ::ByteArray SignDetached(const TAVQ::ByteArray& content) const { return Sign(content, true); }
  TAVQ::ByteArray CertificateDer() const;
  std::string CertificatePem() const;

  // Public key in the card's EF 0x0D07 layout with the given key type byte.
  TAVQ::ByteArray PublicKeyFile(std::uint8_t keyType = 2) const;
  // PKCS#1 v1.5 signature of ready bytes (a DigestInfo), as the card's PSO computes it.
  TAVQ::ByteArray SignRaw(const TAVQ::ByteArray& digestInfo) const;

 private:
  TAVQ::ByteArray Sign(const TAVQ::ByteArray& content, bool detached) const;

  OpenSsl::PKey key_;
  OpenSsl::X509Cert cert_;
};

TAVQ::ByteArray Sha256Of(const TAVQ::ByteArray& data);
