// SOD signature check and SHA-256 through OpenSSL libcrypto.
#include <openssl/objects.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <new>
#include <utility>

#include "card/openssl_handles.h"
#include "card/sod_signature.h"
#include "support/exception.h"
#include "support/format.h"

using TAVQ::ByteArray;
using TAVQ::FormatString;

namespace {

class OpenSslCertificate : public CertificateHandle {
 public:
  // Takes one reference of cert.
  explicit OpenSslCertificate(OpenSsl::X509Cert cert) : cert_(std::move(cert)) {}

  ByteArray Encoded() const override {
    unsigned char* der = nullptr;
    const int length = i2d_X509(cert_.get(), &der);
    if (length <= 0) throw CardException(u"Cannot encode the signer certificate");
    ByteArray result(der, der + length);
    OPENSSL_free(der);
    return result;
  }

  std::unique_ptr<CertificateHandle> Duplicate() const override {
    X509_up_ref(cert_.get());
    return std::make_unique<OpenSslCertificate>(OpenSsl::X509Cert(cert_.get()));
  }

 private:
  OpenSsl::X509Cert cert_;
};

[[noreturn]] void ThrowParseError(std::int32_t code) {
  throw CardException(
      FormatString(u"Error parsing PKCS7 structure from SOD block, error code: %d", code));
}

// The error code for a failure that OpenSSL itself did not queue.
std::int32_t Pkcs7Reason(int reason) {
  ERR_clear_error();
  return static_cast<std::int32_t>(ERR_PACK(ERR_LIB_PKCS7, 0, reason));
}

OpenSsl::Pkcs7 ParseSignedData(const ByteArray& der) {
  ERR_clear_error();
  const unsigned char* cursor = der.data();
  // d2i reads at most the length given; an empty array is refused by OpenSSL.
  OpenSsl::Pkcs7 p7(d2i_PKCS7(nullptr, &cursor, static_cast<long>(der.size())));
  if (!p7) ThrowParseError(OpenSsl::TakeErrorCode());
  if (!PKCS7_type_is_signed(p7.get())) ThrowParseError(Pkcs7Reason(PKCS7_R_WRONG_CONTENT_TYPE));
  if (PKCS7_get_detached(p7.get())) ThrowParseError(Pkcs7Reason(PKCS7_R_NO_CONTENT));
  return p7;
}

// The certificate of the first signer, one reference owned by the result.
OpenSsl::X509Cert SignerOf(PKCS7* p7) {
  STACK_OF(X509)* signers = PKCS7_get0_signers(p7, nullptr, 0);
  if (signers == nullptr || sk_X509_num(signers) < 1) {
    sk_X509_free(signers);
    ThrowParseError(OpenSsl::TakeErrorCode());
  }
  X509* cert = sk_X509_value(signers, 0);
  X509_up_ref(cert);
  sk_X509_free(signers);
  return OpenSsl::X509Cert(cert);
}

// PKCS7_verify takes the algorithm from the signer's key and never reads the one each
// SignerInfo names; a name it does not know or that does not fit the key (which the
// platform crypto on Windows refuses) is refused here too.
void RequireFittingSignatureAlgorithms(PKCS7* p7, X509* signer) {
  const int keyType = EVP_PKEY_get_base_id(X509_get0_pubkey(signer));
  STACK_OF(PKCS7_SIGNER_INFO)* infos = PKCS7_get_signer_info(p7);
  for (int i = 0; i < sk_PKCS7_SIGNER_INFO_num(infos); ++i) {
    X509_ALGOR* signature = nullptr;
    PKCS7_SIGNER_INFO_get0_algs(sk_PKCS7_SIGNER_INFO_value(infos, i), nullptr, nullptr, &signature);
    const ASN1_OBJECT* name = nullptr;
    if (signature != nullptr) X509_ALGOR_get0(&name, nullptr, nullptr, signature);
    const int algorithm = name != nullptr ? OBJ_obj2nid(name) : NID_undef;
    int digest = NID_undef;
    int key = algorithm;  // a plain key algorithm (rsaEncryption) names the key itself
    if (algorithm != NID_undef) OBJ_find_sigid_algs(algorithm, &digest, &key);
    if (algorithm == NID_undef || key != keyType) throw CardException(u"PKCS7 structure has invalid signature");
  }
}

ByteArray ReadAll(BIO* bio) {
  ByteArray result;
  unsigned char buffer[1024];
  int n = 0;
  while ((n = BIO_read(bio, buffer, sizeof buffer)) > 0) result.insert(result.end(), buffer, buffer + n);
  return result;
}

}  // namespace

SignedMessage VerifySignedMessage(const ByteArray& der) {
  OpenSsl::Pkcs7 p7 = ParseSignedData(der);
  OpenSsl::X509Cert signer = SignerOf(p7.get());

  OpenSsl::Bio content(BIO_new(BIO_s_mem()));
  if (!content) throw std::bad_alloc();
  // NOVERIFY: the signature is checked against the carried certificate, whose
  // trust is the client's to judge; no store or chain takes part.
  const int ok = PKCS7_verify(p7.get(), nullptr, nullptr, nullptr, content.get(),
                              PKCS7_NOVERIFY | PKCS7_NOCHAIN | PKCS7_BINARY);
  ERR_clear_error();
  if (ok != 1) throw CardException(u"PKCS7 structure has invalid signature");
  RequireFittingSignatureAlgorithms(p7.get(), signer.get());

  SignedMessage message;
  message.content = ReadAll(content.get());
  message.signatureValid = true;
  message.signer = Certificate(std::make_unique<OpenSslCertificate>(std::move(signer)));
  return message;
}

ByteArray Sha256Hasher::Hash(const ByteArray& data) {
  ERR_clear_error();
  OpenSsl::Md sha256(EVP_MD_fetch(nullptr, "SHA256", nullptr));
  OpenSsl::MdContext context(EVP_MD_CTX_new());
  if (!sha256 || !context || EVP_DigestInit_ex(context.get(), sha256.get(), nullptr) != 1) {
    throw CardException(FormatString(u"Cannot initialize SHA256 functionality, error code: %X",
                                     OpenSsl::TakeErrorCode()));
  }
  if (EVP_DigestUpdate(context.get(), data.data(), data.size()) != 1) {
    throw CardException(FormatString(u"Cannot add new data with size %d to hash, error code: %X",
                                     static_cast<int>(data.size()), OpenSsl::TakeErrorCode()));
  }
  const int size = EVP_MD_get_size(sha256.get());
  if (size <= 0) {
    throw CardException(
        FormatString(u"Cannot calculate hash size, error code: %X", OpenSsl::TakeErrorCode()));
  }
  ByteArray digest(static_cast<std::size_t>(size));
  unsigned int written = 0;
  if (EVP_DigestFinal_ex(context.get(), digest.data(), &written) != 1) {
    throw CardException(FormatString(u"Cannot obtain hash, error code: %X", OpenSsl::TakeErrorCode()));
  }
  digest.resize(written);
  return digest;
}
