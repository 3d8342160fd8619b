// Host side of active authentication: builds the data the card signs and checks
// the card's RSA signature (PKCS#1 v1.5) with the public key file of the card.
#pragma once

#include "card/message_digest.h"
#include "card/openssl_handles.h"
#include "support/types.h"

class CardApplication;
namespace SmartCardIO {
class CardChannel;
}

class RsaSignatureVerifier {
 public:
  // Raises CardException when the library knows no digest of that name.
  explicit RsaSignatureVerifier(const TAVQ::WString& digestName);

  // DigestInfo prefix followed by the digest of the challenge: what the card signs.
  TAVQ::ByteArray SigningData(const TAVQ::ByteArray& challenge);

  // Has the card sign the challenge with its private key 0x0D08 and returns the
  // signature. The channel must be connected, inside a transaction, with the
  // application selected.
  TAVQ::ByteArray SignOnCard(SmartCardIO::CardChannel& channel, const CardApplication& application,
                             const TAVQ::ByteArray& challenge);

  // True when signature is the card's signature of challenge under the key in
  // publicKeyFile. Raises ArgumentException "Invalid public key" for a key file
  // that cannot be parsed or does not form an RSA key, Exception "Verify init
  // error" and "Verify update error" when the library refuses the operation.
  bool Verify(const TAVQ::ByteArray& challenge, const TAVQ::ByteArray& signature,
              const TAVQ::ByteArray& publicKeyFile);

 private:
  OpenSsl::Md md_;
  MessageDigest signingDigest_;
  OpenSsl::MdContext verifyContext_;
  OpenSsl::PKey key_;
};
