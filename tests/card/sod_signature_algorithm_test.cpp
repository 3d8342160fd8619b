// The signature algorithm a SignerInfo names must be one that fits the signer's key:
// a validly signed message whose SignerInfo names an unknown algorithm, or one for
// another kind of key, is refused as the platform crypto on Windows refuses it.
#include <gtest/gtest.h>

#include <algorithm>

#include "card/sod_signature.h"
#include "support/exception.h"
#include "test_pki.h"

namespace {

// DER of the object identifier 1.2.840.113549.1.1.1 (rsaEncryption); its last byte is
// the last arc, so changing it names another member of the PKCS #1 family.
const TAVQ::ByteArray kRsaEncryption{0x06, 0x09, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01};

// The message with the SignerInfo's signature algorithm (the last rsaEncryption in the
// DER: the certificate's key comes before the signer infos) renamed to arc lastArc.
TAVQ::ByteArray WithSignatureAlgorithm(TAVQ::ByteArray der, std::uint8_t lastArc) {
  const auto at = std::find_end(der.begin(), der.end(), kRsaEncryption.begin(), kRsaEncryption.end());
  EXPECT_NE(at, der.end());
  *(at + static_cast<std::ptrdiff_t>(kRsaEncryption.size()) - 1) = lastArc;
  return der;
}

TEST(SodSignatureAlgorithmTest, OnlyAlgorithmsThatFitTheRsaKeyAreAccepted) {
  const TestPki pki;
  const TAVQ::ByteArray content(64, 0x5C);
  const TAVQ::ByteArray der = pki.SignAttached(content);
  const struct {
    std::uint8_t lastArc;
    const char* name;
    bool accepted;
  } cases[] = {
      {0x01, "rsaEncryption", true},
      {0x0B, "sha256WithRSAEncryption", true},
      {0x05, "sha1WithRSAEncryption", true},
      {0x0A, "RSASSA-PSS, another signature scheme", false},
      {0x63, "an arc no algorithm has", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TAVQ::ByteArray message = WithSignatureAlgorithm(der, c.lastArc);
    if (c.accepted) {
      EXPECT_EQ(VerifySignedMessage(message).content, content);
    } else {
      try {
        VerifySignedMessage(message);
        ADD_FAILURE() << "accepted";
      } catch (const CardException& e) {
        EXPECT_EQ(e.message, u"PKCS7 structure has invalid signature");
      }
    }
  }
}

}  // namespace
