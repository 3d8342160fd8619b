#include "test_pki.h"

#include <openssl/core_names.h>
#include <openssl/rsa.h>

#include <stdexcept>

using TAVQ::ByteArray;

namespace {

void Check(int ok, const char* what) {
  if (ok != 1) throw std::runtime_error(what);
}

ByteArray FromBio(BIO* bio) {
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio, &data);
  return ByteArray(data, data + length);
}

ByteArray Digest(const char* name, const ByteArray& data) {
  ByteArray out(EVP_MAX_MD_SIZE);
  unsigned int length = 0;
  OpenSsl::Md md(EVP_MD_fetch(nullptr, name, nullptr));
  Check(EVP_Digest(data.data(), data.size(), out.data(), &length, md.get(), nullptr), "digest");
  out.resize(length);
  return out;
}

ByteArray BigNumBytes(const EVP_PKEY* key, const char* name) {
  BIGNUM* raw = nullptr;
  Check(EVP_PKEY_get_bn_param(key, name, &raw), "get key parameter");
  OpenSsl::BigNum number(raw);
  ByteArray bytes(static_cast<std::size_t>(BN_num_bytes(number.get())));
  BN_bn2bin(number.get(), bytes.data());
  return bytes;
}

void AppendField(ByteArray& out, const ByteArray& field) {
  out.push_back(static_cast<std::uint8_t>(field.size() >> 8));
  out.push_back(static_cast<std::uint8_t>(field.size()));
  out.insert(out.end(), field.begin(), field.end());
}

}  // namespace

TestPki::TestPki(int bits) : key_(EVP_RSA_gen(static_cast<unsigned int>(bits))), cert_(X509_new()) {
  if (!key_ || !cert_) throw std::runtime_error("key generation");
  X509_set_version(cert_.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert_.get()), 1);
  X509_gmtime_adj(X509_getm_notBefore(cert_.get()), 0);
  X509_gmtime_adj(X509_getm_notAfter(cert_.get()), 3600);
  X509_NAME* name = X509_get_subject_name(cert_.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("Test SOD signer"), -1, -1, 0);
  X509_set_issuer_name(cert_.get(), name);
  X509_set_pubkey(cert_.get(), key_.get());
  if (X509_sign(cert_.get(), key_.get(), EVP_sha256()) <= 0) throw std::runtime_error("certificate");
}

ByteArray TestPki::SignAttached(const ByteArray& content) const {
  OpenSsl::Bio in(BIO_new_mem_buf(content.data(), static_cast<int>(content.size())));
  OpenSsl::Pkcs7 p7(PKCS7_sign(cert_.get(), key_.get(), nullptr, in.get(), PKCS7_BINARY));
  if (!p7) throw std::runtime_error("PKCS7_sign");
  OpenSsl::Bio out(BIO_new(BIO_s_mem()));
  Check(i2d_PKCS7_bio(out.get(), p7.get()), "i2d_PKCS7_bio");
  return FromBio(out.get());
}

ByteArray TestPki::SignDetached(const ByteArray& content) const {
  OpenSsl::Bio in(BIO_new_mem_buf(content.data(), static_cast<int>(content.size())));
  OpenSsl::Pkcs7 p7(
      PKCS7_sign(cert_.get(), key_.get(), nullptr, in.get(), PKCS7_BINARY | PKCS7_DETACHED));
  if (!p7) throw std::runtime_error("PKCS7_sign");
  OpenSsl::Bio out(BIO_new(BIO_s_mem()));
  Check(i2d_PKCS7_bio(out.get(), p7.get()), "i2d_PKCS7_bio");
  return FromBio(out.get());
}

ByteArray TestPki::CertificateDer() const {
  unsigned char* der = nullptr;
  const int length = i2d_X509(cert_.get(), &der);
  ByteArray bytes(der, der + length);
  OPENSSL_free(der);
  return bytes;
}

ByteArray TestPki::PublicKeyFile(std::uint8_t keyType) const {
  ByteArray file = {0x00, keyType, 0x00, 0x00, 0x00};
  AppendField(file, BigNumBytes(key_.get(), OSSL_PKEY_PARAM_RSA_N));
  AppendField(file, BigNumBytes(key_.get(), OSSL_PKEY_PARAM_RSA_E));
  return file;
}

ByteArray TestPki::SignSha1(const ByteArray& data) const {
  OpenSsl::MdContext context(EVP_MD_CTX_new());
  Check(EVP_DigestSignInit(context.get(), nullptr, EVP_sha1(), nullptr, key_.get()), "sign init");
  std::size_t length = 0;
  Check(EVP_DigestSign(context.get(), nullptr, &length, data.data(), data.size()), "sign size");
  ByteArray signature(length);
  Check(EVP_DigestSign(context.get(), signature.data(), &length, data.data(), data.size()), "sign");
  signature.resize(length);
  return signature;
}

ByteArray TestPki::SignRaw(const ByteArray& digestInfo) const {
  OpenSsl::PKeyContext context(EVP_PKEY_CTX_new(key_.get(), nullptr));
  Check(EVP_PKEY_sign_init(context.get()), "sign init");
  Check(EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_PKCS1_PADDING), "padding");
  std::size_t length = 0;
  Check(EVP_PKEY_sign(context.get(), nullptr, &length, digestInfo.data(), digestInfo.size()), "size");
  ByteArray signature(length);
  Check(EVP_PKEY_sign(context.get(), signature.data(), &length, digestInfo.data(), digestInfo.size()),
        "sign");
  signature.resize(length);
  return signature;
}

ByteArray Sha256Of(const ByteArray& data) { return Digest("SHA256", data); }
ByteArray Sha1Of(const ByteArray& data) { return Digest("SHA1", data); }
