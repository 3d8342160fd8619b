#include "card/signed_digest_cryptoapi.h"

#include <cstdint>
#include <cstring>
#include <memory>

#include "support/exception.h"
#include "support/format.h"

using TAVQ::ByteArray;

namespace {

struct MessageClose {
  void operator()(void* message) const noexcept { CryptMsgClose(message); }
};
using Message = std::unique_ptr<void, MessageClose>;

struct HashHandle {
  HCRYPTHASH value = 0;
  HashHandle() = default;
  HashHandle(const HashHandle&) = delete;
  HashHandle& operator=(const HashHandle&) = delete;
  ~HashHandle() {
    if (value != 0) CryptDestroyHash(value);
  }
};

[[noreturn]] void ThrowDecodeError() {
  throw CardException(TAVQ::FormatString(u"Error parsing PKCS7 structure from SOD block, error code: %d",
                                         static_cast<std::int32_t>(GetLastError())));
}

// The first signer's information: digest algorithm and signed attributes.
ByteArray SignerInfo(HCRYPTMSG message) {
  DWORD size = 0;
  if (!CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size)) ThrowDecodeError();
  ByteArray value(size);
  if (!CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, value.data(), &size)) ThrowDecodeError();
  return value;
}

// The digest of content with the signer's digest algorithm; empty when the provider
// does not know the algorithm.
ByteArray DigestOf(const ByteArray& content, const CRYPT_ALGORITHM_IDENTIFIER& algorithm, HCRYPTPROV provider) {
  const ALG_ID id = CertOIDToAlgId(algorithm.pszObjId);
  HashHandle hash;
  if (id == 0 || !CryptCreateHash(provider, id, 0, 0, &hash.value)) return {};
  const HCRYPTHASH handle = hash.value;
  DWORD size = 0;
  DWORD field = sizeof(size);
  if (!CryptHashData(handle, content.data(), static_cast<DWORD>(content.size()), 0) ||
      !CryptGetHashParam(handle, HP_HASHSIZE, reinterpret_cast<BYTE*>(&size), &field, 0)) {
    return {};
  }
  ByteArray digest(size);
  if (!CryptGetHashParam(handle, HP_HASHVAL, digest.data(), &size, 0)) return {};
  digest.resize(size);
  return digest;
}

// The value of the message-digest attribute; empty when it is missing or malformed.
ByteArray SignedDigest(const CRYPT_ATTRIBUTES& attributes) {
  for (DWORD i = 0; i < attributes.cAttr; ++i) {
    const CRYPT_ATTRIBUTE& attribute = attributes.rgAttr[i];
    if (std::strcmp(attribute.pszObjId, szOID_RSA_messageDigest) != 0 || attribute.cValue != 1) continue;
    DWORD size = 0;
    const CRYPT_ATTR_BLOB& value = attribute.rgValue[0];
    if (!CryptDecodeObject(X509_ASN_ENCODING, X509_OCTET_STRING, value.pbData, value.cbData, 0, nullptr, &size)) {
      return {};
    }
    ByteArray decoded(size);
    if (!CryptDecodeObject(X509_ASN_ENCODING, X509_OCTET_STRING, value.pbData, value.cbData, 0, decoded.data(),
                           &size)) {
      return {};
    }
    const auto* blob = reinterpret_cast<const CRYPT_DATA_BLOB*>(decoded.data());
    return ByteArray(blob->pbData, blob->pbData + blob->cbData);
  }
  return {};
}

}  // namespace

bool SignedDigestMatchesContent(const ByteArray& der, const ByteArray& content, HCRYPTPROV provider) {
  const Message message(CryptMsgOpenToDecode(PKCS_7_ASN_ENCODING | X509_ASN_ENCODING, 0, 0, 0, nullptr, nullptr));
  if (!message) ThrowDecodeError();
  if (!CryptMsgUpdate(message.get(), der.data(), static_cast<DWORD>(der.size()), TRUE)) ThrowDecodeError();

  const ByteArray buffer = SignerInfo(message.get());
  const auto& signer = *reinterpret_cast<const CMSG_SIGNER_INFO*>(buffer.data());
  if (signer.AuthAttrs.cAttr == 0) return true;
  const ByteArray expected = SignedDigest(signer.AuthAttrs);
  const ByteArray actual = DigestOf(content, signer.HashAlgorithm, provider);
  return !expected.empty() && expected == actual;
}
