#include "card/rsa_signature_verifier.h"

#include <openssl/core_names.h>

#include <new>

#include "card/card_application.h"
#include "card/public_key_file.h"
#include "support/exception.h"

using TAVQ::ByteArray;

namespace {

// DER prefix of a PKCS#1 v1.5 DigestInfo for SHA-1; the 20 digest bytes follow.
const ByteArray kSha1DigestInfoPrefix = {0x30, 0x21, 0x30, 0x09, 0x06, 0x05, 0x2B, 0x0E,
                                         0x03, 0x02, 0x1A, 0x05, 0x00, 0x04, 0x14};

// The card's RSA signature algorithm and its private key for active authentication.
constexpr std::uint8_t kSignatureAlgorithm = 0x02;
constexpr std::uint16_t kPrivateKeyReference = 0x0D08;

[[noreturn]] void ThrowInvalidKey() {
  ERR_clear_error();
  throw TAVQ::ArgumentException(u"Invalid public key", u"publicKeyDer");
}

OpenSsl::BigNum ToBigNum(const ByteArray& bytes) {
  // An empty field gives no number: such a key cannot be built.
  if (bytes.empty()) ThrowInvalidKey();
  OpenSsl::BigNum number(BN_bin2bn(bytes.data(), static_cast<int>(bytes.size()), nullptr));
  if (!number) throw std::bad_alloc();
  return number;
}

OpenSsl::PKey BuildRsaPublicKey(const PublicKeyFile& file) {
  const OpenSsl::BigNum n = ToBigNum(file.modulus);
  const OpenSsl::BigNum e = ToBigNum(file.exponent);
  OpenSsl::ParamBuilder builder(OSSL_PARAM_BLD_new());
  if (!builder || OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_N, n.get()) != 1 ||
      OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_E, e.get()) != 1) {
    ThrowInvalidKey();
  }
  OpenSsl::Params params(OSSL_PARAM_BLD_to_param(builder.get()));
  OpenSsl::PKeyContext context(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
  EVP_PKEY* raw = nullptr;
  if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
      EVP_PKEY_fromdata(context.get(), &raw, EVP_PKEY_PUBLIC_KEY, params.get()) != 1) {
    ThrowInvalidKey();
  }
  return OpenSsl::PKey(raw);
}

}  // namespace

RsaSignatureVerifier::RsaSignatureVerifier(const TAVQ::WString& digestName)
    : md_(FetchDigest(digestName)), signingDigest_(digestName), verifyContext_(EVP_MD_CTX_new()) {
  if (!verifyContext_) throw std::bad_alloc();
  signingDigest_.Init();
}

ByteArray RsaSignatureVerifier::SigningData(const ByteArray& challenge) {
  signingDigest_.Update(challenge);
  ByteArray data = kSha1DigestInfoPrefix;
  const ByteArray digest = signingDigest_.Final();
  data.insert(data.end(), digest.begin(), digest.end());
  return data;
}

bool RsaSignatureVerifier::Verify(const ByteArray& challenge, const ByteArray& signature,
                                  const ByteArray& publicKeyFile) {
  key_ = BuildRsaPublicKey(PublicKeyFile::Parse(publicKeyFile));
  ERR_clear_error();
  EVP_MD_CTX_reset(verifyContext_.get());
  if (EVP_DigestVerifyInit(verifyContext_.get(), nullptr, md_.get(), nullptr, key_.get()) != 1) {
    ERR_clear_error();
    throw TAVQ::Exception(u"Verify init error");
  }
  if (EVP_DigestVerifyUpdate(verifyContext_.get(), challenge.data(), challenge.size()) != 1) {
    ERR_clear_error();
    throw TAVQ::Exception(u"Verify update error");
  }
  const int result =
      EVP_DigestVerifyFinal(verifyContext_.get(), signature.data(), signature.size());
  ERR_clear_error();
  return result == 1;
}

ByteArray RsaSignatureVerifier::SignOnCard(SmartCardIO::CardChannel& channel, const CardApplication& application,
                                           const ByteArray& challenge) {
  if (!signingDigest_.IsInitialized()) throw CardException(u"Message digest not initialized");
  const ByteArray data = SigningData(challenge);
  application.SetSignatureKey(channel, kSignatureAlgorithm, kPrivateKeyReference);
  return application.ComputeSignature(channel, data);
}
