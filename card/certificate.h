// A signer certificate as the platform's crypto library holds it. The holder owns
// the handle; moving hands it over, and the handle is released exactly once.
#pragma once

#include <memory>

#include "support/types.h"

// One platform certificate object (an OpenSSL X509, a CryptoAPI context).
class CertificateHandle {
 public:
  virtual ~CertificateHandle() = default;
  // The certificate's DER encoding.
  virtual TAVQ::ByteArray Encoded() const = 0;
  // A second reference to the same certificate, released independently.
  virtual std::unique_ptr<CertificateHandle> Duplicate() const = 0;
};

class Certificate {
 public:
  Certificate() = default;
  explicit Certificate(std::unique_ptr<CertificateHandle> handle);
  Certificate(Certificate&&) noexcept = default;
  Certificate& operator=(Certificate&&) noexcept = default;
  Certificate(const Certificate& other);
  Certificate& operator=(const Certificate& other);

  bool IsEmpty() const { return handle_ == nullptr; }
  // The DER encoding; an empty holder raises X509Exception "Certificate is not initialized.".
  TAVQ::ByteArray GetEncoded() const;

 private:
  std::unique_ptr<CertificateHandle> handle_;
};
