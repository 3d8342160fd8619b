#include "test_pki.h"

#include <openssl/core_names.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/sha.h>
#include <openssl/x509v3.h>

#include <stdexcept>

using TAVQ::ByteArray;

namespace {

void Check(int ok, const char* what) {
  if (ok != 1) throw std::runtime_error(what);
}

// What write puts in a memory BIO.
template <typename Write>
ByteArray Written(const char* what, Write write) {
  OpenSsl::Bio bio(BIO_new(BIO_s_mem()));
  Check(write(bio.get()), what);
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio.get(), &data);
  return ByteArray(data, data + length);
}

void AppendBigNum(ByteArray& out, const EVP_PKEY* key, const char* name) {
  BIGNUM* raw = nullptr;
  Check(EVP_PKEY_get_bn_param(key, name, &raw), "get key parameter");
  OpenSsl::BigNum number(raw);
  const int size = BN_num_bytes(number.get());
  out.push_back(static_cast<std::uint8_t>(size >> 8));
  out.push_back(static_cast<std::uint8_t>(size));
  out.resize(out.size() + static_cast<std::size_t>(size));
  BN_bn2bin(number.get(), out.data() + out.size() - size);
}

}  // namespace

TestPki::TestPki(const std::string& commonName, const TestPki* issuerKey, bool ca, const char* notAfter)
    : key_(EVP_RSA_gen(1024)), cert_(X509_new()) {
  if (!key_ || !cert_) throw std::runtime_error("key generation");
  X509* cert = cert_.get();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), static_cast<long>(commonName.size()));
  X509_gmtime_adj(X509_getm_notBefore(cert), 0);
  X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
  if (notAfter != nullptr) ASN1_TIME_set_string(X509_getm_notAfter(cert), notAfter);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("Test issuer"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                             reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
  const TestPki& issuer = issuerKey != nullptr ? *issuerKey : *this;
  X509_set_issuer_name(cert, X509_get_subject_name(issuer.cert_.get()));
  X509_set_pubkey(cert, key_.get());
  X509V3_CTX context;
  X509V3_set_ctx(&context, issuer.cert_.get(), cert, nullptr, nullptr, 0);
  X509_EXTENSION* constraints = X509V3_EXT_conf_nid(nullptr, &context, NID_basic_constraints,
                                                    ca ? "critical,CA:TRUE" : "critical,CA:FALSE");
  X509_add_ext(cert, constraints, -1);
  X509_EXTENSION_free(constraints);
  if (X509_sign(cert, issuer.key_.get(), EVP_sha256()) <= 0) throw std::runtime_error("certificate");
}

ByteArray TestPki::Sign(const ByteArray& content, bool detached) const {
  OpenSsl::Bio in(BIO_new_mem_buf(content.data(), static_cast<int>(content.size())));
  const int flags = PKCS7_BINARY | (detached ? PKCS7_DETACHED : 0);
  OpenSsl::Pkcs7 p7(PKCS7_sign(cert_.get(), key_.get(), nullptr, in.get(), flags));
  if (!p7) throw std::runtime_error("PKCS7_sign");
  return Written("i2d_PKCS7_bio", [&](BIO* out) { return i2d_PKCS7_bio(out, p7.get()); });
}

ByteArray TestPki::CertificateDer() const {
  return Written("i2d_X509_bio", [&](BIO* out) { return i2d_X509_bio(out, cert_.get()); });
}

std::string TestPki::CertificatePem() const {
  const ByteArray pem = Written("PEM_write_bio_X509", [&](BIO* out) { return PEM_write_bio_X509(out, cert_.get()); });
  return std::string(pem.begin(), pem.end());
}

ByteArray TestPki::PublicKeyFile(std::uint8_t keyType) const {
  ByteArray file = {0x00, keyType, 0x00, 0x00, 0x00};
  AppendBigNum(file, key_.get(), OSSL_PKEY_PARAM_RSA_N);
  AppendBigNum(file, key_.get(), OSSL_PKEY_PARAM_RSA_E);
  return file;
}

ByteArray TestPki::SignRaw(const ByteArray& digestInfo) const {
  OpenSsl::PKeyContext context(EVP_PKEY_CTX_new(key_.get(), nullptr));
  Check(EVP_PKEY_sign_init(context.get()), "sign init");
  Check(EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_PKCS1_PADDING), "padding");
  std::size_t length = static_cast<std::size_t>(EVP_PKEY_get_size(key_.get()));
  ByteArray signature(length);
  Check(EVP_PKEY_sign(context.get(), signature.data(), &length, digestInfo.data(), digestInfo.size()), "sign");
  signature.resize(length);
  return signature;
}

ByteArray Sha256Of(const ByteArray& data) {
  ByteArray digest(SHA256_DIGEST_LENGTH);
  SHA256(data.data(), data.size(), digest.data());
  return digest;
}
