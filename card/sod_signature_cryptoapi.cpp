// SOD signature check and SHA-256 through CryptoAPI.
#include <windows.h>
#include <wincrypt.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>

#include "card/signed_digest_cryptoapi.h"
#include "card/sod_signature.h"
#include "support/exception.h"
#include "support/format.h"
#include "support/os_info.h"

using TAVQ::ByteArray;
using TAVQ::FormatString;

namespace {

// The thread's last error as an HRESULT: a Win32 code gets the Win32 facility, a
// value that already is an HRESULT passes unchanged.
std::uint32_t LastErrorAsHResult() {
  const std::uint32_t code = GetLastError();
  return static_cast<std::int32_t>(code) > 0 ? (0x80070000u | (code & 0xFFFFu)) : code;
}

// The one provider of the process, acquired on first use and kept until exit.
class AesProvider {
 public:
  static HCRYPTPROV Get() {
    static AesProvider instance;
    std::lock_guard<std::mutex> lock(instance.mutex_);
    if (instance.handle_ == 0) instance.handle_ = Acquire();
    return instance.handle_;
  }

  AesProvider(const AesProvider&) = delete;
  AesProvider& operator=(const AesProvider&) = delete;

 private:
  AesProvider() = default;
  ~AesProvider() {
    if (handle_ != 0) CryptReleaseContext(handle_, 0);
  }

  static HCRYPTPROV Acquire() {
    // Systems before major version 6 ship the provider under its prototype name.
    const wchar_t* name = TAVQ::GetOperatingSystemInfo().majorVersion >= 6
                              ? L"Microsoft Enhanced RSA and AES Cryptographic Provider"
                              : L"Microsoft Enhanced RSA and AES Cryptographic Provider (Prototype)";
    HCRYPTPROV handle = 0;
    if (!CryptAcquireContextW(&handle, nullptr, name, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
      throw CardException(FormatString(
          u"Cannot initialize RSA AES Cryptographic Service Provider, error code: 0x%X", LastErrorAsHResult()));
    }
    return handle;
  }

  std::mutex mutex_;
  HCRYPTPROV handle_ = 0;
};

struct CertificateContextRelease {
  void operator()(PCCERT_CONTEXT context) const noexcept { CertFreeCertificateContext(context); }
};
using CertificateContext = std::unique_ptr<const CERT_CONTEXT, CertificateContextRelease>;

class CryptoApiCertificate : public CertificateHandle {
 public:
  // Takes over one reference of the context.
  explicit CryptoApiCertificate(CertificateContext context) : context_(std::move(context)) {}

  ByteArray Encoded() const override {
    return ByteArray(context_->pbCertEncoded, context_->pbCertEncoded + context_->cbCertEncoded);
  }

  std::unique_ptr<CertificateHandle> Duplicate() const override {
    return std::make_unique<CryptoApiCertificate>(
        CertificateContext(CertDuplicateCertificateContext(context_.get())));
  }

 private:
  CertificateContext context_;
};

class HashObject {
 public:
  explicit HashObject(HCRYPTPROV provider) {
    if (!CryptCreateHash(provider, CALG_SHA_256, 0, 0, &handle_)) {
      throw CardException(
          FormatString(u"Cannot initialize SHA256 functionality, error code: %X", LastErrorAsHResult()));
    }
  }
  ~HashObject() { CryptDestroyHash(handle_); }
  HashObject(const HashObject&) = delete;
  HashObject& operator=(const HashObject&) = delete;

  HCRYPTHASH get() const { return handle_; }

 private:
  HCRYPTHASH handle_ = 0;
};

DWORD CheckedSize(const ByteArray& bytes) {
  if (bytes.size() > std::numeric_limits<DWORD>::max()) {
    throw CardException(u"Data is too large for the platform's crypto");
  }
  return static_cast<DWORD>(bytes.size());
}

// Parameters of one verification call. Some implementations of the message
// certificate store release the provider they are given; the extra reference taken
// for each call keeps the process-wide handle alive there and costs nothing where
// the provider is only borrowed.
CRYPT_VERIFY_MESSAGE_PARA VerifyParameters() {
  CRYPT_VERIFY_MESSAGE_PARA parameters{};
  parameters.cbSize = sizeof(parameters);
  parameters.dwMsgAndCertEncodingType = PKCS_7_ASN_ENCODING | X509_ASN_ENCODING;
  parameters.hCryptProv = AesProvider::Get();
  parameters.pfnGetSignerCertificate = nullptr;  // the certificate the message carries
  CryptContextAddRef(parameters.hCryptProv, nullptr, 0);
  return parameters;
}

// Signature failures that CryptoAPI already reports while learning the content size;
// they are the same verdict as a failing second call, not a parse error.
bool IsSignatureVerdict(std::uint32_t code) {
  return code == static_cast<std::uint32_t>(NTE_BAD_SIGNATURE) ||
         code == static_cast<std::uint32_t>(CRYPT_E_HASH_VALUE);
}

[[noreturn]] void ThrowInvalidSignature() { throw CardException(u"PKCS7 structure has invalid signature"); }

}  // namespace

SignedMessage VerifySignedMessage(const ByteArray& der) {
  const DWORD derSize = CheckedSize(der);

  CRYPT_VERIFY_MESSAGE_PARA parameters = VerifyParameters();
  DWORD contentSize = 0;
  if (!CryptVerifyMessageSignature(&parameters, 0, der.data(), derSize, nullptr, &contentSize, nullptr)) {
    const std::uint32_t code = GetLastError();
    if (IsSignatureVerdict(code)) ThrowInvalidSignature();
    throw CardException(FormatString(u"Error parsing PKCS7 structure from SOD block, error code: %d",
                                     static_cast<std::int32_t>(code)));
  }

  SignedMessage message;
  message.content.resize(contentSize);
  PCCERT_CONTEXT signer = nullptr;
  parameters = VerifyParameters();
  message.signatureValid = CryptVerifyMessageSignature(&parameters, 0, der.data(), derSize,
                                                       message.content.empty() ? nullptr : message.content.data(),
                                                       &contentSize, &signer) != FALSE;
  CertificateContext returned(signer);
  if (!message.signatureValid || !returned) ThrowInvalidSignature();
  message.content.resize(contentSize);
  if (!SignedDigestMatchesContent(der, message.content, parameters.hCryptProv)) ThrowInvalidSignature();
  message.signer = Certificate(std::make_unique<CryptoApiCertificate>(
      CertificateContext(CertDuplicateCertificateContext(returned.get()))));
  return message;
}

ByteArray Sha256Hasher::Hash(const ByteArray& data) {
  const HashObject hash(AesProvider::Get());
  const DWORD size = CheckedSize(data);
  if (!CryptHashData(hash.get(), data.data(), size, 0)) {
    throw CardException(FormatString(u"Cannot add new data with size %d to hash, error code: %X",
                                     static_cast<int>(size), LastErrorAsHResult()));
  }
  DWORD hashSize = 0;
  DWORD fieldSize = sizeof(hashSize);
  if (!CryptGetHashParam(hash.get(), HP_HASHSIZE, reinterpret_cast<BYTE*>(&hashSize), &fieldSize, 0)) {
    throw CardException(FormatString(u"Cannot calculate hash size, error code: %X", LastErrorAsHResult()));
  }
  ByteArray digest(hashSize);
  if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest.data(), &hashSize, 0)) {
    throw CardException(FormatString(u"Cannot obtain hash, error code: %X", LastErrorAsHResult()));
  }
  digest.resize(hashSize);
  return digest;
}
