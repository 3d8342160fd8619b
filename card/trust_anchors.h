// The certificates a user trusts to issue document signers, and the check of a SOD
// signer certificate against them. The card itself proves only that its SODs were
// signed by the certificate they carry; whether that certificate belongs to a real
// issuer is decided here, by its chain to an anchor.
#pragma once

#include <cstddef>
#include <vector>

#include "card/openssl_handles.h"
#include "support/types.h"

class TrustAnchors {
 public:
  // From PEM text holding one or more certificates (roots, and any intermediate CA
  // certificates the signers need). Raises CardException when the text holds no
  // certificate or one that cannot be read.
  static TrustAnchors FromPem(const TAVQ::ByteArray& pem);

  // Checks the DER-encoded signer certificate with the X509 store of the anchors:
  // its chain to a self-signed anchor, every signature on the way and every
  // validity period at the current time. Anything else raises CardException "The SOD
  // signer certificate is not trusted: " followed by the library's reason.
  void Check(const TAVQ::ByteArray& signerDer) const;

  std::size_t Count() const { return anchors_.size(); }

 private:
  TrustAnchors() = default;

  std::vector<OpenSsl::X509Cert> anchors_;
};
