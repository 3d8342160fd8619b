// The platform crypto that verifies a Security Object: SHA-256 and the check of an
// attached PKCS#7 SignedData against the certificate it carries. One implementation
// file per platform crypto library.
#pragma once

#include "card/certificate.h"
#include "support/types.h"

// Result of a successful signature check.
struct SignedMessage {
  TAVQ::ByteArray content;
  bool signatureValid = false;
  Certificate signer;
};

// Verifies a DER-encoded PKCS#7 SignedData with attached content against the signer
// certificate inside it; no chain, store or trust list is consulted. Raises
// CardException "Error parsing PKCS7 structure from SOD block, error code: %d" when
// the bytes are no such message and "PKCS7 structure has invalid signature" when
// the signature does not verify.
SignedMessage VerifySignedMessage(const TAVQ::ByteArray& der);

class Sha256Hasher {
 public:
  static TAVQ::ByteArray Hash(const TAVQ::ByteArray& data);
};
